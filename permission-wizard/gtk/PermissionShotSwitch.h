#pragma once

#include "permission-wizard/PermissionShot.h"
#include "permission-wizard/gtk/GtkWizardPresenter.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ikw::wizard::gtk {

// What the running program lends the shot.
struct PermissionShotHost {
    // The host's own wizard set-up (empty while it has none).
    std::function<void()> configureApplication;
    // The application's name, for the window title "<name> Permissions".
    std::string applicationName;
    std::string appIconPath;
    std::shared_ptr<ui::Workspace> workspace;
};

// The shot's window: the host's set-up runs first, then the window shows the view of
// makeShotView in the chosen appearance, the toolkit's theme matched to it. The display must be
// open.
std::unique_ptr<GtkWizardWindow> showPermissionShot(const PermissionShotOptions& options, const PermissionShotHost& host);

// The program's "--permission-shot [step] [--light]" mode: shows the window and runs until the
// process is ended (closing the window only hides it). Without a display it says so on standard
// error and returns 1.
// The host's workspace is the desktop's when it lends none.
int runPermissionShotSwitch(const std::vector<std::string>& arguments, PermissionShotHost host);

}
