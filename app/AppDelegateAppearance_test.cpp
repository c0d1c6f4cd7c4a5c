#include "app/AppDelegate.h"

#include "app/AppearanceTesting.h"
#include "platform/ui/fake/FakeToolkit.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

using testing::juneDay;

class SwitchableDesktop final : public SystemAppearance {
public:
    bool prefersDark() const override { return dark; }
    void setChangeHandler(std::function<void()> handler) override { changed = std::move(handler); }
    bool dark = false;
    std::function<void()> changed;
};

class Alarm final : public WakeMonitor {
public:
    void setWakeHandler(std::function<void()> handler) override { woke = std::move(handler); }
    std::function<void()> woke;
};

struct LaunchedShell {
    LaunchedShell()
    {
        testing::writeTestFile(bench.globals.get().paths.resourcesDir + "/appicons/stack_slate_light.png", "png");
        LaunchServices services;
        services.appearance.clock = bench.hooks.clock;
        delegate = std::make_shared<AppDelegate>(std::move(services),
            DelegateParts { .windows = &bench.windows, .systemAppearance = &desktop, .wakeMonitor = &alarm, .toolkit = &toolkit, .writeWelcomePage = {} });
        delegate->applicationDidFinishLaunching();
    }

    testing::AppearanceBench bench { std::string("{\"night_mode\": \"auto\", ") + testing::kClockSchedule + "}" };
    std::shared_ptr<testing::RecordedWindow> page = bench.windows.add();
    SwitchableDesktop desktop;
    Alarm alarm;
    ui::fake::FakeToolkit toolkit;
    std::shared_ptr<AppDelegate> delegate;
};

TEST(AppDelegateAppearance, LaunchAppliesTheLookArmsTheFlipSetsTheIconAndObservesTheDesktop)
{
    LaunchedShell shell;
    EXPECT_EQ(shell.toolkit.prefersDark, false);
    EXPECT_EQ(shell.delegate->appearance().armedFlip(), juneDay(20));
    EXPECT_EQ(shell.toolkit.defaultIcon, globals().paths.resourcesDir + "/appicons/stack_slate_light.png");
    EXPECT_TRUE(shell.page->scripts.empty()) << "launch sends pages nothing";

    shell.desktop.dark = true;
    shell.desktop.changed();
    shell.bench.queue.advance(NightDriver::kSyncDelaySeconds);
    EXPECT_EQ(shell.page->count("__setTheme('dark',true)"), 1);
    EXPECT_EQ(shell.toolkit.prefersDark, true) << "the application follows the desktop";
}

TEST(AppDelegateAppearance, WakingRearmsTheFlipAndActivationSyncsPages)
{
    LaunchedShell shell;
    shell.bench.setClock(juneDay(22));
    shell.alarm.woke();
    EXPECT_EQ(shell.delegate->appearance().armedFlip(), juneDay(31));
    EXPECT_EQ(shell.toolkit.prefersDark, true) << "night forces the dark look";

    shell.page->scripts.clear();
    int seen = 0;
    const auto stop = shell.delegate->observeBecameActive([&seen] { ++seen; });
    shell.delegate->applicationDidBecomeActive();
    shell.bench.queue.advance(NightDriver::kSyncDelaySeconds);
    EXPECT_EQ(shell.page->count("__setTheme('dark',true)"), 1);
    EXPECT_EQ(seen, 1);
    stop();
    shell.delegate->applicationDidBecomeActive();
    EXPECT_EQ(seen, 1);
}

}
}
