#include "permission-wizard/PermissionLintSwitch.h"

#include "permission-wizard/KDPermissionWizard.h"

#include <algorithm>

namespace ikw::wizard {

int runPermissionLintSwitch(const std::vector<std::string>& arguments, const std::function<void()>& configureApplication)
{
    const bool selftestOnly = std::find(arguments.begin(), arguments.end(), "--selftest") != arguments.end();
    if (!selftestOnly && configureApplication)
        configureApplication();
    return KDPermissionWizard::runLintCLI(arguments);
}

}
