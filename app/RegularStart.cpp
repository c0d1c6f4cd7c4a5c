#include "app/RegularStart.h"

#include "app/AppDelegate.h"
#include "app/Globals.h"
#include "platform/core/GLibMainQueue.h"
#include "platform/ui/gtk/GtkToolkit.h"

#include <memory>

namespace ikw {

int runRegularStart(int argc, char** argv, LaunchServices services)
{
    GLibMainQueue mainQueue;
    ScopedMainQueue installedQueue { mainQueue };
    AppDelegate delegate(std::move(services));
    std::unique_ptr<ui::Application> application;
    ui::ApplicationEvents events;
    events.startup = [&] {
        // Closing the last window does not quit the application.
        application->hold();
        delegate.applicationDidFinishLaunching();
    };
    events.activate = [&](bool hasVisibleWindows) { delegate.applicationShouldHandleReopen(hasVisibleWindows); };
    application = ui::gtk3::makeGtkApplication(kApplicationId, std::move(events));
    return application->run(argc, argv);
}

}
