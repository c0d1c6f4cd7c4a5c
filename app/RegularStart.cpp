#include "app/RegularStart.h"

#include "app/AppDelegate.h"
#include "app/Globals.h"
#include "platform/core/GLibMainQueue.h"

#include <gtk/gtk.h>

#include <memory>

namespace ikw {

namespace {

struct Application {
    explicit Application(LaunchServices services) : delegate(std::move(services)) {}
    GLibMainQueue mainQueue;
    ScopedMainQueue installedQueue { mainQueue };
    AppDelegate delegate;
};

void onStartup(GApplication* application, gpointer data)
{
    auto* app = static_cast<Application*>(data);
    // Closing the last window does not quit the application.
    g_application_hold(application);
    app->delegate.applicationDidFinishLaunching();
}

void onActivate(GtkApplication* application, gpointer data)
{
    auto* app = static_cast<Application*>(data);
    bool visible = false;
    for (GList* window = gtk_application_get_windows(application); window; window = window->next)
        visible = visible || gtk_widget_get_visible(GTK_WIDGET(window->data));
    app->delegate.applicationShouldHandleReopen(visible);
}

}

int runRegularStart(int argc, char** argv, LaunchServices services)
{
    Application app(std::move(services));
    GtkApplication* gtkApplication = gtk_application_new(kApplicationId, G_APPLICATION_HANDLES_OPEN);
    g_signal_connect(gtkApplication, "startup", G_CALLBACK(onStartup), &app);
    g_signal_connect(gtkApplication, "activate", G_CALLBACK(onActivate), &app);
    const int status = g_application_run(G_APPLICATION(gtkApplication), argc, argv);
    g_object_unref(gtkApplication);
    return status;
}

}
