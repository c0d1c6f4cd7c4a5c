#include "services/KDUpdate.h"
#include "services/KDUpdateMenu.h"

#include "app/Globals.h"
#include "app/MenuCommands.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "review/PanelRouter.h"
#include "review/PanelWC.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <condition_variable>
#include <latch>
#include <mutex>
#include <thread>

namespace ikw::services {
namespace {

// The checks the updater started, and a gate that holds a check running until the test opens it.
class FakeCheck {
public:
    void operator()(bool interactive)
    {
        std::unique_lock lock(m_mutex);
        m_started.push_back(interactive);
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
    }

    std::vector<bool> started() const
    {
        std::lock_guard lock(m_mutex);
        return m_started;
    }
    // Waits (in real time) until `count` checks have started.
    bool waitForStarts(std::size_t count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_started.size() >= count; });
    }
    void setOpen(bool open)
    {
        std::lock_guard lock(m_mutex);
        m_open = open;
        m_changed.notify_all();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<bool> m_started;
    bool m_open = true;
};

class KDUpdatePolicyTest : public ::testing::Test {
protected:
    KDUpdatePolicyTest()
    {
        updater->defaults = [path = home.file("support/com.norvale.inkwarden.json")] { return UserDefaults(path); };
        updater->appKey = "inkwarden";
        updater->check = [this](bool interactive) { check(interactive); };
    }
    ~KDUpdatePolicyTest() override
    {
        check.setOpen(true);
        updater->queue->waitUntilIdle();
    }

    // The checks started so far, once every request made has been served.
    std::vector<bool> checksAfterIdle()
    {
        updater->queue->waitUntilIdle();
        return check.started();
    }

    testing::TempHome home;
    ManualMainQueue queue;
    FakeCheck check;
    std::shared_ptr<KDUpdate::State> updater = std::make_shared<KDUpdate::State>();
    KDUpdate::ScopedState installed { updater };
};

using Checks = std::vector<bool>;

}

TEST_F(KDUpdatePolicyTest, TheFirstBackgroundCheckComesAfterTwentySecondsThenEverySixHours)
{
    KDUpdate::start();
    queue.advance(19.5);
    EXPECT_EQ(checksAfterIdle(), Checks {});
    queue.advance(0.5);
    EXPECT_EQ(checksAfterIdle(), Checks { false });
    EXPECT_TRUE(updater->defaults().number(KDUpdate::kLastCheckKey).has_value());

    queue.advance(21600 - 20 - 0.5);
    EXPECT_EQ(checksAfterIdle(), Checks { false });
    queue.advance(0.5);
    EXPECT_EQ(checksAfterIdle(), (Checks { false, false }));
    queue.advance(21600);
    EXPECT_EQ(checksAfterIdle(), (Checks { false, false, false }));
}

TEST_F(KDUpdatePolicyTest, WithBackgroundChecksOffTheTimerRunsOnAndOnlyAPersonStartsACheck)
{
    KDUpdate::setAutoCheck(false);
    KDUpdate::start();
    queue.advance(21600);
    EXPECT_EQ(checksAfterIdle(), Checks {});
    EXPECT_EQ(queue.pendingTimerCount(), 1u);

    MenuCommands commands;
    KDUpdate::registerUpdateMenuCommands(commands);
    ui::MenuItem menuItem;
    menuItem.command = "checkForUpdatesMenu:";
    EXPECT_TRUE(commands.perform(MenuUse { menuItem }));
    EXPECT_EQ(checksAfterIdle(), Checks { true });

    // Switched on again, the next firing checks.
    KDUpdate::setAutoCheck(true);
    queue.advance(21600);
    EXPECT_EQ(checksAfterIdle(), (Checks { true, false }));
}

TEST_F(KDUpdatePolicyTest, ARequestWhileACheckRunsIsDropped)
{
    check.setOpen(false);
    KDUpdate::checkNow(false);
    ASSERT_TRUE(check.waitForStarts(1));
    KDUpdate::checkNow(true);
    KDUpdate::checkNow(false);
    check.setOpen(true);
    EXPECT_EQ(checksAfterIdle(), Checks { false });
    EXPECT_FALSE(updater->inFlight.load());

    // Once it has returned, the next request is served.
    KDUpdate::checkNow(true);
    EXPECT_EQ(checksAfterIdle(), (Checks { false, true }));
}

TEST_F(KDUpdatePolicyTest, TwoThreadsAskingTogetherStartOneCheck)
{
    constexpr int kRounds = 300;
    for (int round = 0; round < kRounds; ++round) {
        // The check stays open until both requests are in, so a second one could only slip in
        // through the test of the flag.
        check.setOpen(false);
        std::latch go(2);
        const auto ask = [&go] {
            go.arrive_and_wait();
            KDUpdate::checkNow(false);
        };
        std::thread first(ask);
        std::thread second(ask);
        first.join();
        second.join();
        check.setOpen(true);
        ASSERT_EQ(checksAfterIdle().size(), static_cast<std::size_t>(round + 1)) << "round " << round;
    }
}

TEST(KDUpdateAppKey, TheProductsKeysThenTheLastPartOfTheIdentifier)
{
    const std::pair<const char*, const char*> cases[] {
        { "com.norvale.inkwarden", "inkwarden" },
        { "com.norvale.culmoraphotos", "culmora-photos" },
        { "com.norvale.pippetviewer", "pippet-viewer" },
        { "org.example.Tool", "Tool" },
        { "tool", "tool" },
        { "trailing.", "" },
        { "", "" },
    };
    for (const auto& [identifier, key] : cases)
        EXPECT_EQ(KDUpdate::appKeyFor(identifier), key) << identifier;
}

TEST_F(KDUpdatePolicyTest, TheLaunchStepSchedulesForAKeyAndShowsStatusInTheMenuTitle)
{
    std::vector<std::string> titles;
    KDUpdate::setupAutoUpdate("com.norvale.inkwarden", [&](const std::string& title) { titles.push_back(title); });
    EXPECT_EQ(updater->appKey, "inkwarden");
    EXPECT_EQ(queue.pendingTimerCount(), 2u);
    std::thread([] { KDUpdate::status("checked 3:05pm \u00b7 up to date"); }).join();
    queue.drain();
    EXPECT_EQ(titles, std::vector<std::string> { "Updates: on \u00b7 checked 3:05pm \u00b7 up to date" });

    KDUpdate::stopSchedule();
    EXPECT_EQ(queue.pendingTimerCount(), 0u);
}

TEST_F(KDUpdatePolicyTest, WithoutAKeyTheUpdaterStaysDisabled)
{
    ::testing::internal::CaptureStderr();
    KDUpdate::setupAutoUpdate("", {});
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("[KDUpdate] appKey not set; updater disabled"), std::string::npos) << log;
    EXPECT_EQ(queue.pendingTimerCount(), 0u);
    KDUpdate::checkNow(true);
    queue.advance(21600 * 2);
    EXPECT_EQ(checksAfterIdle(), Checks {});
}

TEST_F(KDUpdatePolicyTest, QuittingInstallsAStagedUpdateOnceWithoutRelaunch)
{
    std::vector<std::pair<std::string, bool>> swaps;
    updater->installStaged = [&](const std::string& staged, bool relaunch) -> std::optional<KDUpdate::Error> {
        swaps.emplace_back(staged, relaunch);
        return std::nullopt;
    };
    KDUpdate::installPendingOnQuitIfAny();
    EXPECT_TRUE(swaps.empty());

    KDUpdate::setPendingUpdate({ .bundle = "/tmp/KDUpdate-a/Old.app", .version = "2.0" });
    KDUpdate::setPendingUpdate({ .bundle = "/tmp/KDUpdate-b/Inkwarden.app", .version = "2.1" });
    KDUpdate::installPendingOnQuitIfAny();
    KDUpdate::installPendingOnQuitIfAny();
    EXPECT_EQ(swaps, (std::vector<std::pair<std::string, bool>> { { "/tmp/KDUpdate-b/Inkwarden.app", false } }));
    EXPECT_FALSE(KDUpdate::takePendingUpdate());
}

TEST_F(KDUpdatePolicyTest, AFailedInstallAtQuitIsLoggedAndNotOfferedAgain)
{
    // The real swap refuses a bundle outside its staging root before anything changes.
    Globals product = Globals::build(Paths::fromEnvironment());
    product.appInfo.bundleDir = home.file("Apps/Inkwarden.app");
    std::filesystem::create_directories(product.appInfo.bundleDir);
    const ScopedGlobals running(std::move(product));
    const std::string outside = home.file("Downloads/Inkwarden.app");
    std::filesystem::create_directories(outside);
    KDUpdate::setPendingUpdate({ .bundle = outside, .version = "2.1" });
    ::testing::internal::CaptureStderr();
    KDUpdate::installPendingOnQuitIfAny();
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("[KDUpdate] on-quit install failed: the update is not in the updater's staging folder: " + outside), std::string::npos) << log;
    EXPECT_TRUE(std::filesystem::is_directory(outside));
    EXPECT_FALSE(KDUpdate::takePendingUpdate());
}

TEST_F(KDUpdatePolicyTest, TheSoftwareUpdateSwitchesToggleAndTheirMarksFollow)
{
    const ui::MenuItem entry = KDUpdate::updateSubmenuItem("Inkwarden");
    ASSERT_TRUE(entry.submenu);
    EXPECT_EQ(entry.title, "Software Update");
    EXPECT_TRUE(entry.command.empty());
    ui::Menu menu = *entry.submenu;
    EXPECT_EQ(menu.title, "Software Update");
    EXPECT_TRUE(menu.fillsOnOpen);
    std::vector<std::string> titles;
    for (const auto& item : menu.items)
        titles.push_back(item.separator ? "-" : item.title);
    EXPECT_EQ(titles, (std::vector<std::string> { "Automatically keep Inkwarden up to date", "-", "Automatically check for updates",
                          "Automatically download updates", "Automatically install updates" }));

    MenuCommands commands;
    KDUpdate::registerUpdateMenuCommands(commands);
    const auto choose = [&](std::size_t index) {
        EXPECT_TRUE(commands.perform(MenuUse { menu.items[index] }));
        KDUpdate::refreshSoftwareUpdateMenu(menu);
    };
    const auto marks = [&] {
        std::vector<bool> shown;
        for (const auto& item : menu.items) {
            if (!item.separator)
                shown.push_back(item.checked.value_or(false));
        }
        return shown;
    };
    using Marks = std::vector<bool>;
    EXPECT_EQ(marks(), (Marks { true, true, true, true }));
    choose(3); // download off
    EXPECT_EQ(marks(), (Marks { false, true, false, true }));
    EXPECT_FALSE(KDUpdate::autoDownload());
    choose(0); // two on: all on
    EXPECT_EQ(marks(), (Marks { true, true, true, true }));
    choose(0); // all on: all off
    EXPECT_EQ(marks(), (Marks { false, false, false, false }));
    choose(2);
    EXPECT_EQ(marks(), (Marks { false, true, false, false }));
    EXPECT_TRUE(KDUpdate::autoCheck());
    choose(4);
    EXPECT_EQ(marks(), (Marks { false, true, false, true }));
}

TEST_F(KDUpdatePolicyTest, TheSettingsPanelsCheckIsAnInteractiveCheck)
{
    ui::fake::FakeToolkit toolkit;
    PanelActions actions;
    KDUpdate::registerUpdatePanelAction(actions);
    auto panel = PanelWC::create(toolkit, "settings", home.file("reviews/.panel.html"), "Inkwarden", {}, {});
    EXPECT_TRUE(actions.dispatch("checkupdates", PanelAction { *panel, "qeliz://checkupdates" }));
    EXPECT_EQ(checksAfterIdle(), Checks { true });
}

}
