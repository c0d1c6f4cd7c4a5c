#pragma once

#include "permission-wizard/KDPermission.h"
#include "permission-wizard/KDPermissionWizardView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw::wizard {

// The "--permission-shot" mode's choices: the step by name and the appearance.
struct PermissionShotOptions {
    std::string step = "findersync";
    bool light = false;

    // From the program's arguments: the argument after "--permission-shot" unless it is another
    // switch, and "--light" anywhere.
    static PermissionShotOptions parse(const std::vector<std::string>& arguments);
};

// "summary" gives -1, "done" the number of permissions, a permission's id its index, anything
// else 0.
int shotStepIndex(const std::string& step, const std::vector<KDPermission>& permissions);

// The wizard view the shot draws, from the wizard's configuration: the chosen step, every
// permission forced to not granted, not asked, and a close that does nothing. A neutral brand
// stands in while nothing is configured.
std::shared_ptr<KDPermissionWizardView> makeShotView(const PermissionShotOptions& options);

}
