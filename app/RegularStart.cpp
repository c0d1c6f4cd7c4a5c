#include "app/RegularStart.h"

#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/Globals.h"
#include "app/WelcomePage.h"
#include "platform/core/GLibMainQueue.h"
#include "platform/ui/gtk/GtkToolkit.h"

#include <glib-unix.h>

#include <csignal>
#include <memory>

namespace ikw {

namespace {

// While it lives, SIGTERM and SIGINT quit the application the ordinary way, so that its
// termination steps run when the session ends or the user interrupts it.
class QuitOnSignals {
public:
    explicit QuitOnSignals(ui::Application& application)
        : m_sources { g_unix_signal_add(SIGTERM, quit, &application), g_unix_signal_add(SIGINT, quit, &application) }
    {
    }
    ~QuitOnSignals()
    {
        for (const guint source : m_sources)
            g_source_remove(source);
    }
    QuitOnSignals(const QuitOnSignals&) = delete;
    QuitOnSignals& operator=(const QuitOnSignals&) = delete;

private:
    static gboolean quit(gpointer application)
    {
        static_cast<ui::Application*>(application)->quit();
        return G_SOURCE_CONTINUE;
    }

    guint m_sources[2];
};

// What the running application is made of, in the order it must be torn down (last first).
struct Shell {
    std::unique_ptr<ui::Toolkit> toolkit;
    std::unique_ptr<SystemAppearance> appearance;
    std::unique_ptr<WakeMonitor> wakeMonitor;
    std::shared_ptr<ReviewWindowRegistry> windows;
    std::shared_ptr<AppDelegate> delegate;
};

}

std::vector<std::string> toolkitArguments(const CommandLine& commandLine)
{
    const auto& arguments = commandLine.arguments();
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0 && arguments[i] == "--demo") {
            // Its value, when it has one, goes with it (as welcomeDemoMode reads it).
            if (i + 1 < arguments.size() && !arguments[i + 1].starts_with("--"))
                ++i;
            continue;
        }
        kept.push_back(arguments[i]);
    }
    return kept;
}

int runRegularStart(int argc, char** argv, LaunchServices services, WindowLayerFactory makeWindows)
{
    GLibMainQueue mainQueue;
    ScopedMainQueue installedQueue { mainQueue };
    const CommandLine commandLine(argc, argv);
    Shell shell;
    std::unique_ptr<ui::Application> application;
    std::unique_ptr<QuitOnSignals> signals;
    ui::ApplicationEvents events;
    events.startup = [&] {
        // The application ends by the delegate's rule alone (the last window closing, Ctrl+Q),
        // never because GTK counts no window, as during launch.
        application->hold();
        signals = std::make_unique<QuitOnSignals>(*application);
        shell.toolkit = ui::gtk3::makeGtkToolkit();
        shell.appearance = makeDesktopAppearance();
        shell.wakeMonitor = makeLogindWakeMonitor();
        if (makeWindows)
            shell.windows = makeWindows(*shell.toolkit);
        shell.delegate = std::make_shared<AppDelegate>(std::move(services),
            DelegateParts {
                .windows = shell.windows.get(),
                .application = application.get(),
                .systemAppearance = shell.appearance.get(),
                .wakeMonitor = shell.wakeMonitor.get(),
                .toolkit = shell.toolkit.get(),
                .writeWelcomePage = [arguments = commandLine.arguments()] { return writeWelcomeFile(std::nullopt, std::nullopt, arguments); },
            });
        installAppDelegate(shell.delegate.get());
        shell.delegate->applicationDidFinishLaunching();
    };
    events.activate = [&](bool hasVisibleWindows) {
        if (shell.delegate)
            shell.delegate->applicationShouldHandleReopen(hasVisibleWindows);
    };
    events.open = [&](const std::vector<std::string>& paths) {
        if (shell.delegate)
            shell.delegate->openFiles(paths);
    };
    events.becameActive = [&] {
        if (shell.delegate)
            shell.delegate->applicationDidBecomeActive();
    };
    events.lastWindowClosed = [&] {
        if (shell.delegate)
            shell.delegate->lastWindowClosed();
    };
    events.shutdown = [&] {
        // The main queue still runs its installed loop here, so work that hops back to it can end.
        if (shell.delegate)
            shell.delegate->applicationWillTerminate();
        installAppDelegate(nullptr);
    };
    application = ui::gtk3::makeGtkApplication(kApplicationId, std::move(events));
    std::vector<std::string> toolkitLine = toolkitArguments(commandLine);
    std::vector<char*> toolkitArgv;
    for (auto& argument : toolkitLine)
        toolkitArgv.push_back(argument.data());
    toolkitArgv.push_back(nullptr);
    const int status = application->run(static_cast<int>(toolkitLine.size()), toolkitArgv.data());
    signals.reset();
    installAppDelegate(nullptr);
    return status;
}

}
