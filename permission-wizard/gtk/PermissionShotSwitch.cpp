#include "permission-wizard/gtk/PermissionShotSwitch.h"

#include "permission-wizard/KDPermissionWizard.h"
#include "platform/core/GLibMainQueue.h"
#include "platform/ui/gtk/Desktop.h"
#include "platform/ui/gtk/GtkSetup.h"

#include <cstdio>

namespace ikw::wizard::gtk {

std::unique_ptr<GtkWizardWindow> showPermissionShot(const PermissionShotOptions& options, const PermissionShotHost& host)
{
    if (host.configureApplication)
        host.configureApplication();
    const bool dark = !options.light;
    g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", dark ? TRUE : FALSE, nullptr);
    auto view = makeShotView(options);
    const WizardWindowSpec spec {
        .title = host.applicationName + " Permissions",
        .contentWidth = 660,
        .contentHeight = KDPermissionWizard::contentHeight(),
    };
    auto window = std::make_unique<GtkWizardWindow>(view, spec, WizardDisplay {
        .isDark = [dark] { return dark; },
        .workspace = host.workspace,
        .appIconPath = host.appIconPath,
    });
    view->appear();
    return window;
}

int runPermissionShotSwitch(const std::vector<std::string>& arguments, PermissionShotHost host)
{
    if (!ui::gtk3::initializeGtk()) {
        std::fputs("permission-shot: no display (set DISPLAY or run under xvfb-run)\n", stderr);
        return 1;
    }
    GLibMainQueue queue;
    ScopedMainQueue installedQueue { queue };
    if (!host.workspace)
        host.workspace = std::make_shared<ui::gtk3::Workspace>();
    const auto window = showPermissionShot(PermissionShotOptions::parse(arguments), host);
    // Until the process is ended: the title-bar close only hides the window.
    gtk_main();
    return 0;
}

}
