#pragma once

#include "app/RecentItems.h"

#include "app/Appearance.h"
#include "app/MenuBarItem.h"
#include "app/NightDriver.h"
#include "app/ReviewWindowRegistry.h"
#include "app/SettingsHandler.h"
#include "app/SystemAppearance.h"
#include "platform/core/WorkQueue.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw::ui {
class Application;
class Toolkit;
class WebView;
}

namespace ikw {

class AppDelegate;

// Launch steps that belong to subsystems above the shell. The composition root fills them; a
// step left empty is skipped.
struct LaunchServices {
    std::function<void()> noteSession {}; // count the launch in the usage statistics
    // Launch step 2, before any window opens: the closed tabs of the last run come back.
    std::function<void()> loadClosedTabs {};
    // Routes what the system asked to open (paths or URLs) and sets `didOpen` when it opens a file.
    std::function<void(const std::vector<std::string>& items)> openURLs {};
    // Opens the panel of a kind ("about", "help", ...) with extra arguments for its page script.
    std::function<void(const std::string& kind, const std::vector<std::string>& extraArgs)> openPanel {};
    // Launch step 9: an empty file history is filled from the recent items.
    std::function<void(const std::vector<RecentItem>& items)> migrateRecents {};
    // Launch step 13: the permission wizard's configuration, its state file written.
    std::function<void()> configurePermissions {};
    // Launch step 14, on every activation before the shell's own refresh: the wizard's state file
    // is written again.
    std::function<void()> refreshPermissionState {};
    // Launch step 15: the first launch's Full Disk Access prompt.
    std::function<void()> maybeFirstRunFDA {};
    // Launch step 16, 1.6 s in unless something was opened: the permission wizard, when a
    // permission is neither granted nor skipped.
    std::function<void()> presentPermissionsIfNeeded {};
    // Launch step 18: the tabs' document menus join every review window (the sweep runs again
    // whenever the application becomes active).
    std::function<void()> scheduleAttachSweep {};
    // Launch step 19: the updater's feed key, status line and schedule, then the feedback client.
    std::function<void()> setupAutoUpdate {};
    // Launch step 19, after the updater's set-up: the feedback client's keys, product name and accent.
    std::function<void()> setupFeedback {};
    // Launch step 20: the agent bridge, started for the delegate (which it holds weakly).
    std::function<void(std::weak_ptr<AppDelegate> delegate)> startAgentBridge {};
    // Launch step 21, after the agent bridge: the library pairing step, which runs on a queue of
    // its own and holds the delegate weakly.
    std::function<void(std::weak_ptr<AppDelegate> delegate)> startPairBeacon {};
    // The first termination step: the agent bridge stops and its discovery file goes.
    std::function<void()> stopAgentBridge {};
    // The second termination step: the updater's schedule ends and a staged update is put in place.
    std::function<void()> installPendingUpdate {};
    // Termination work of the subsystems above the shell (pending page rewrites finish).
    std::function<void()> willTerminate {};
    // Launch step 10 and every later change the main menu shows: the menu is built anew.
    std::function<void()> rebuildMenu {};
    // Offers the entries other programs hand files to ("Open in Inkwarden", "Share with Inkwarden")
    // as actions of the application.
    std::function<void(ui::Application&)> provideServices {};
    // What the appearance driver and the settings handler reach above the shell: the main menu,
    // the settings panel, the panels' backgrounds, the open surface's palette. The delegate fills
    // the shell's own entries (windows, the application's look, the icon, the clock).
    AppearanceHooks appearance {};
    // The features' rows of the settings handler's reaction table ("tts_voice", ...).
    std::function<void(ConfigReactions&)> addConfigReactions {};
    // Answers the menus that belong to no window, the status item's and the launcher's (the main
    // menu's commands).
    std::function<ui::MenuResponder()> windowlessMenuResponder {};
};

// What the delegate works with besides its launch steps: the review windows (owned by the review
// layer), the desktop's appearance and wake-ups, and the welcome page writer. Each may be missing (in tests,
// or before the subsystem exists); the delegate then skips what needs it.
struct DelegateParts {
    ReviewWindowRegistry* windows = nullptr;
    ui::Application* application = nullptr; // offers the Services entries; counts windows; quits
    SystemAppearance* systemAppearance = nullptr;
    WakeMonitor* wakeMonitor = nullptr; // the night driver observes waking through it
    ui::Toolkit* toolkit = nullptr;     // the application's look, its icon, the desktop's applications
    // Writes a fresh welcome page and returns its path (nothing when it could not be written).
    std::function<std::optional<std::string>()> writeWelcomePage;
};

// The one application delegate of the regular start: it runs the launch sequence and owns the
// application-wide state that features hang off it.
class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
public:
    static constexpr double kWelcomeDelaySeconds = 0.35;
    static constexpr double kPermissionWizardDelaySeconds = 1.6;

    explicit AppDelegate(LaunchServices services = {}, DelegateParts parts = {});
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // The launch sequence, once, on the main thread. Its delayed steps hold the delegate weakly,
    // so the delegate must be owned by a shared pointer when they are wanted.
    void applicationDidFinishLaunching();
    // The application was activated again (a launcher click, a second start with no files).
    void applicationShouldHandleReopen(bool hasVisibleWindows);
    // Once the last window has closed the program ends, unless the status item keeps it running
    // (its menu opens new windows).
    bool applicationShouldTerminateAfterLastWindowClosed() const { return !m_menuBarItem->isShown(); }
    // The application's last window closed.
    void lastWindowClosed();
    // Quits (Ctrl+Q, the last window gone): the loop ends, then the termination steps run.
    void terminate();
    // The termination steps, once, while the main loop still exists (after a quit, the last
    // window, the session's end, SIGTERM or SIGINT): the agent bridge stops, a staged update is
    // installed, then pending page rewrites finish.
    void applicationWillTerminate();

    // Files the system asked the application to open (a file manager, a second start).
    void openFiles(const std::vector<std::string>& paths);

    // The welcome page in a new review window (a tab of the host's window when given).
    void showWelcome(const ui::WebView* tabbingHost);
    // The welcome page in the review window of `web`; a new window when `web` is not a review's.
    void goHome(const ui::WebView& web);

    // The main menu, built anew from everything it shows.
    void rebuildMenu();
    // The status item follows the "menu_bar_icon" setting.
    void updateMenuBar();
    MenuBarItem& menuBarItem() { return *m_menuBarItem; }
    // What launchers offer on the application's icon (the desktop entry's actions carry it).
    static ui::Menu applicationDockMenu();
    // The user's key for a customizable menu command (the settings panel's "setshortcut"):
    // stored in the settings, then the menu is rebuilt. An empty combo brings the default back.
    void setShortcut(const std::string& id, const std::string& combo);

    // The about and help panels (menu commands).
    void showAbout();
    void showHelp();

    // One of the application's windows took the focus while none had it: the observers run.
    void applicationDidBecomeActive();
    // Runs `handler` on every activation until the returned function is called.
    std::function<void()> observeBecameActive(std::function<void()> handler);

    // Light, dark or the desktop's look, and the night schedule (menu commands included).
    NightDriver& appearance() { return *m_appearance; }
    // The settings panel's values, the application icon and the settings file.
    SettingsHandler& settingsHandler() { return *m_settings; }

    // Whether the application looks dark now, and the scheme every page is given.
    bool effectiveIsDark() const;
    std::string resolvedScheme() const;
    // The look the application forces on itself (set by the appearance driver).
    AppAppearance appAppearance = AppAppearance::System;

    // Set by the routes that open something the system asked for; the delayed launch steps do
    // nothing once it is true.
    bool didOpen = false;

private:
    // A launch step that runs `seconds` after launch while the delegate still exists.
    void afterLaunch(double seconds, void (AppDelegate::*step)());
    void showWelcomeUnlessSomethingOpened();
    void presentPermissionsUnlessSomethingOpened();
    void exportDockMenu();
    void observeDesktopAppearance();
    void observeWake();

    LaunchServices m_services;
    DelegateParts m_parts;
    std::unique_ptr<NightDriver> m_appearance;
    std::unique_ptr<SettingsHandler> m_settings;
    std::unique_ptr<MenuBarItem> m_menuBarItem;
    std::map<std::uint64_t, std::function<void()>> m_activationObservers;
    std::uint64_t m_nextObserver = 0;
    bool m_terminated = false;
    // Launch work that touches only files runs here, off the main thread.
    std::unique_ptr<WorkQueue> m_utility = makeSerialQueue("com.norvale.inkwarden.launch");
};

// The process's delegate (none before the regular start has made it, and in tool modes).
AppDelegate* appDelegate();
void installAppDelegate(AppDelegate* delegate);

}
