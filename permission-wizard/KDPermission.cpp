#include "permission-wizard/KDPermission.h"

#include "permission-wizard/ResourceImages.h"

namespace ikw::wizard {

std::optional<WizardImage> KDPermission::resolveDialogImage(std::string_view name, bool dark)
{
    const std::string themed = std::string(name) + (dark ? "-dark" : "-light");
    if (auto path = findResourceImage(themed))
        return WizardImage::file(std::move(*path));
    if (auto path = findResourceImage(name))
        return WizardImage::file(std::move(*path));
    return std::nullopt;
}

}
