#include "permission-wizard/KDWizardHost.h"

#include "platform/core/Paths.h"

namespace ikw::wizard {

std::string KDWizardHost::bundleIdentifier() const
{
    if (!identity || identity->identifier.empty())
        return "unknown";
    return identity->identifier;
}

std::string KDWizardHost::bundlePath() const
{
    if (identity)
        return identity->bundlePath;
    // The bundle holds the resource folder beside the program's own folder.
    return parentPath(Paths::fromEnvironment().resourcesDir);
}

}
