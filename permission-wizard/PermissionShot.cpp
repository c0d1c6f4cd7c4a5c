#include "permission-wizard/PermissionShot.h"

#include "permission-wizard/KDPermissionWizard.h"

#include <algorithm>

namespace ikw::wizard {

namespace {

KDWizardBrand neutralBrand()
{
    const auto ink = [](bool dark) { return dark ? Color { 0.93, 0.93, 0.94, 1 } : Color { 0.11, 0.11, 0.12, 1 }; };
    const auto muted = [](bool dark) { return dark ? Color { 0.62, 0.62, 0.66, 1 } : Color { 0.42, 0.42, 0.45, 1 }; };
    const auto accent = [](bool dark) { return dark ? Color { 0.29, 0.56, 1, 1 } : Color { 0.1, 0.42, 0.9, 1 }; };
    const auto ground = [](bool dark) { return dark ? Color { 0.12, 0.12, 0.13, 1 } : Color { 0.98, 0.98, 0.98, 1 }; };
    const auto white = [](bool) { return Color { 1, 1, 1, 1 }; };
    return KDWizardBrand(accent, ink, muted, ground, white, std::nullopt, KDWizardBrand::appIconMark());
}

}

PermissionShotOptions PermissionShotOptions::parse(const std::vector<std::string>& arguments)
{
    PermissionShotOptions options;
    const auto shot = std::find(arguments.begin(), arguments.end(), "--permission-shot");
    if (shot != arguments.end() && shot + 1 != arguments.end() && !shot[1].starts_with("--"))
        options.step = shot[1];
    options.light = std::find(arguments.begin(), arguments.end(), "--light") != arguments.end();
    return options;
}

int shotStepIndex(const std::string& step, const std::vector<KDPermission>& permissions)
{
    if (step == "summary")
        return -1;
    if (step == "done")
        return static_cast<int>(permissions.size());
    const auto found = std::find_if(permissions.begin(), permissions.end(), [&step](const KDPermission& permission) {
        return permission.id == step;
    });
    return found == permissions.end() ? 0 : static_cast<int>(found - permissions.begin());
}

std::shared_ptr<KDPermissionWizardView> makeShotView(const PermissionShotOptions& options)
{
    const auto& permissions = KDPermissionWizard::permissions();
    GrantMap nothingGranted;
    for (const auto& permission : permissions)
        nothingGranted[permission.id] = false;
    return std::make_shared<KDPermissionWizardView>(KDPermissionWizardView::Inputs {
        .brand = KDPermissionWizard::brand().value_or(neutralBrand()),
        .product = KDPermissionWizard::product(),
        .permissions = permissions,
        .onClose = [] {},
        .initialStep = shotStepIndex(options.step, permissions),
        .forcedGrants = std::move(nothingGranted),
        .forcedDidAsk = false,
        .subscribeBecameActive = {},
    });
}

}
