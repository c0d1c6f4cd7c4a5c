#include "app/AppDelegate.h"
#include "app/Globals.h"
#include "platform/core/FileSystem.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/Application.h"
#include "platform/ui/fake/FakeWebView.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ikw {
namespace {

// Records what the delegate asks of the window list.
class RecordingWindows final : public ReviewWindowRegistry {
public:
    bool isEmpty() const override { return windows == 0; }
    bool hasVisibleWindow() const override { return windows > 0; }
    void openPage(const std::optional<std::string>& page, const ui::WebView* host) override
    {
        ++windows;
        opened.push_back(page.value_or("<loading>") + (host ? " as tab" : ""));
    }
    bool showHome(const ui::WebView&, const std::optional<std::string>& page) override
    {
        homes.push_back(page.value_or("<loading>"));
        return knowsView;
    }

    void openReview(const std::vector<std::string>& paths) override
    {
        ++windows;
        opened.push_back("review of " + std::to_string(paths.size()));
    }

    int windows = 0;
    bool knowsView = true;
    std::vector<std::string> opened, homes;
};

class FakeDesktop final : public SystemAppearance {
public:
    bool prefersDark() const override { return dark; }
    void setChangeHandler(std::function<void()>) override {}
    bool dark = false;
};

struct Launch {
    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    ManualMainQueue queue;
    RecordingWindows windows;
    std::vector<std::string> steps;
    std::shared_ptr<AppDelegate> delegate = std::make_shared<AppDelegate>(
        LaunchServices {
            .noteSession = [this] {
                // The legacy folder has moved before anything else touches the product folder.
                steps.push_back(realFileSystem().exists(home.file(".local/share/Inkwarden/marker")) ? "noteSession after migration" : "noteSession");
            },
            .loadClosedTabs = [this] {
                // Before any window opens (the welcome page comes later).
                steps.push_back(windows.opened.empty() && windows.homes.empty() ? "loadClosedTabs" : "loadClosedTabs late");
            },
            .configurePermissions = [this] { steps.push_back("configurePermissions"); },
            .refreshPermissionState = [this] { steps.push_back("refreshPermissionState"); },
            .maybeFirstRunFDA = [this] { steps.push_back("maybeFirstRunFDA"); },
            .presentPermissionsIfNeeded = [this] { steps.push_back("presentPermissionsIfNeeded at " + std::to_string(queue.now())); },
            .setupAutoUpdate = [this] { steps.push_back("setupAutoUpdate"); },
            .setupFeedback = [this] { steps.push_back("setupFeedback"); },
            .startAgentBridge = [this](std::weak_ptr<AppDelegate> started) {
                steps.push_back(started.lock() == delegate ? "agent bridge for this delegate" : "agent bridge");
            },
            .startPairBeacon = [this](std::weak_ptr<AppDelegate> started) {
                steps.push_back(started.lock() == delegate ? "pair beacon for this delegate" : "pair beacon");
            },
            .stopAgentBridge = [this] { steps.push_back("agent bridge stopped"); },
            .installPendingUpdate = [this] { steps.push_back("pending update installed"); },
            .willTerminate = [this] { steps.push_back("rewrites finished"); },
        },
        DelegateParts { .windows = &windows, .writeWelcomePage = [] { return std::optional<std::string>("/w.html"); } });
};

TEST(AppDelegate, LaunchRunsItsStepsInOrderOnce)
{
    Launch launch;
    testing::writeTestFile(launch.home.file(".local/share/QEL Visualize/marker"), "");
    launch.delegate->applicationDidFinishLaunching();
    launch.queue.advance(10);
    EXPECT_EQ(launch.steps, (std::vector<std::string> { "loadClosedTabs", "noteSession after migration", "configurePermissions", "maybeFirstRunFDA",
                                "setupAutoUpdate", "setupFeedback", "agent bridge for this delegate", "pair beacon for this delegate",
                                "presentPermissionsIfNeeded at 1.600000" }));
    launch.steps.clear();
    // Every activation records the permissions' state again.
    launch.delegate->applicationDidBecomeActive();
    launch.delegate->applicationDidBecomeActive();
    EXPECT_EQ(launch.steps, (std::vector<std::string> { "refreshPermissionState", "refreshPermissionState" }));
    launch.steps.clear();
    launch.delegate->applicationWillTerminate();
    launch.delegate->applicationWillTerminate();
    EXPECT_EQ(launch.steps, (std::vector<std::string> { "agent bridge stopped", "pending update installed", "rewrites finished" }));
}

TEST(AppDelegate, LaunchClearsStaleHiddenPagesOfTheReviewsFolder)
{
    Launch launch;
    const std::string archive = globals().archive;
    const std::string stale = testing::writeTestFile(archive + "/.loading-OLD.html", "");
    const std::string fresh = testing::writeTestFile(archive + "/.welcome-NEW.html", "");
    std::filesystem::last_write_time(stale, std::filesystem::file_time_type::clock::now() - std::chrono::hours(30));
    launch.delegate->applicationDidFinishLaunching();
    launch.delegate.reset(); // its utility queue finishes what was posted
    EXPECT_FALSE(realFileSystem().exists(stale));
    EXPECT_TRUE(realFileSystem().exists(fresh));
}

TEST(AppDelegate, TheWelcomePageFollowsALaunchThatOpenedNothing)
{
    struct Case {
        const char* what;
        bool didOpen;
        int windowsBefore;
        std::vector<std::string> opened;
    };
    const Case cases[] = {
        { "plain launch", false, 0, { "/w.html" } },
        { "a document opened during launch", true, 0, {} },
        { "windows restored", false, 1, {} },
    };
    for (const auto& c : cases) {
        Launch launch;
        launch.windows.windows = c.windowsBefore;
        launch.delegate->applicationDidFinishLaunching();
        launch.delegate->didOpen = c.didOpen;
        launch.queue.advance(AppDelegate::kWelcomeDelaySeconds - 0.01);
        EXPECT_TRUE(launch.windows.opened.empty()) << c.what;
        launch.queue.advance(0.02);
        EXPECT_EQ(launch.windows.opened, c.opened) << c.what;
    }
}

TEST(AppDelegate, FilesOpenedDuringLaunchReplaceTheWelcomePage)
{
    Launch launch;
    launch.delegate->applicationDidFinishLaunching();
    launch.delegate->openFiles({ "/a.pdf", "/b" });
    launch.queue.advance(5);
    EXPECT_EQ(launch.windows.opened, std::vector<std::string> { "review of 2" });
}

TEST(AppDelegate, DelayedStepsDoNothingOnceTheDelegateIsGone)
{
    Launch launch;
    launch.delegate->applicationDidFinishLaunching();
    launch.delegate.reset();
    launch.steps.clear();
    launch.queue.advance(5);
    EXPECT_TRUE(launch.windows.opened.empty());
    EXPECT_TRUE(launch.steps.empty());
}

TEST(AppDelegate, ThePermissionWizardIsOfferedOnlyAfterALaunchThatOpenedNothing)
{
    for (const bool didOpen : { false, true }) {
        Launch launch;
        launch.delegate->applicationDidFinishLaunching();
        launch.delegate->didOpen = didOpen;
        launch.steps.clear();
        launch.queue.advance(10);
        EXPECT_EQ(launch.steps.size(), didOpen ? 0u : 1u) << didOpen;
    }
}

TEST(AppDelegate, ReopenAndGoHomeShowTheWelcomePage)
{
    Launch launch;
    launch.delegate->applicationShouldHandleReopen(true);
    EXPECT_TRUE(launch.windows.opened.empty());
    launch.delegate->applicationShouldHandleReopen(false);
    EXPECT_EQ(launch.windows.opened, std::vector<std::string> { "/w.html" });

    ui::fake::FakeWebView view;
    launch.delegate->goHome(view);
    EXPECT_EQ(launch.windows.homes, std::vector<std::string> { "/w.html" });
    EXPECT_EQ(launch.windows.opened.size(), 1u);

    launch.windows.knowsView = false; // a panel's view: a new welcome window instead
    launch.delegate->goHome(view);
    EXPECT_EQ(launch.windows.opened.size(), 2u);
}

}
}

namespace ikw {
namespace {

TEST(AppDelegate, TheSchemeFollowsTheDesktopOnlyWhenTheSettingsSayAuto)
{
    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    FakeDesktop desktop;
    AppDelegate delegate({}, DelegateParts { .systemAppearance = &desktop, .wakeMonitor = nullptr, .writeWelcomePage = {} });
    desktop.dark = true;
    EXPECT_EQ(delegate.resolvedScheme(), "dark");
    delegate.appAppearance = AppAppearance::Light;
    EXPECT_FALSE(delegate.effectiveIsDark());
    EXPECT_EQ(delegate.resolvedScheme(), "light");
    testing::writeTestFile(globals.get().configPath, R"({"appearance": "dark"})");
    EXPECT_EQ(delegate.resolvedScheme(), "dark");
}

}
}

namespace ikw {
namespace {

// An application that counts its quits and says whether a window is open.
class RecordingApplication final : public ui::Application {
public:
    int run(int, char**) override { return 0; }
    void quit() override { ++quits; }
    bool hasVisibleWindows() const override { return windowOpen; }
    void hold() override {}
    void release() override {}
    void exportAction(const std::string&, UriListHandler) override {}
    void exportPlainAction(const std::string&, std::function<void()>) override {}

    bool windowOpen = true;
    int quits = 0;
};

struct Lifecycle {
    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    ManualMainQueue queue;
    RecordingWindows windows;
    RecordingApplication application;
    int finished = 0;
    std::shared_ptr<AppDelegate> delegate = std::make_shared<AppDelegate>(
        LaunchServices { .willTerminate = [this] { ++finished; } },
        DelegateParts {
            .windows = &windows,
            .application = &application,
            .writeWelcomePage = [] { return std::optional<std::string>("/w.html"); },
        });
};

TEST(AppDelegate, TheLastWindowClosingEndsTheProgramAfterItsTerminationSteps)
{
    Lifecycle app;
    app.delegate->lastWindowClosed();
    EXPECT_EQ(app.application.quits, 1);
    app.delegate->applicationWillTerminate();
    app.delegate->applicationWillTerminate(); // the loop's end and a second quit run them once
    EXPECT_EQ(app.finished, 1);
}

TEST(AppDelegate, ALaunchThatLeavesNoWindowEnds)
{
    for (const bool windowOpen : { true, false }) {
        Lifecycle app;
        app.application.windowOpen = windowOpen;
        app.delegate->applicationDidFinishLaunching();
        app.delegate->didOpen = true; // a web page went to the browser, say
        app.queue.advance(1);
        EXPECT_EQ(app.application.quits, windowOpen ? 0 : 1) << windowOpen;
    }
}

}
}
