#include "permission-wizard/KDPermissionSpec.h"

namespace ikw::wizard {

KDPermissionSpec KDPermissionSpec::from(const KDPermission& permission)
{
    return {
        .id = permission.id,
        .title = permission.title,
        .benefit = permission.benefit,
        .bullets = permission.bullets,
        .boundary = permission.boundary,
        .settingsURL = permission.settingsURL,
        .isOptional = permission.isOptional,
        .costOfSkipping = permission.costOfSkipping,
        .rowsToTick = permission.rowsToTick,
        .requiresManualDrag = permission.requiresManualDrag,
        .dialogImageName = permission.dialogImageName,
        .probe = {},
    };
}

}
