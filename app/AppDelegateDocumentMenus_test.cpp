#include "app/AppDelegate.h"
#include "app/Globals.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

// The tabs' document menus join the review windows before the updater's set-up, and again at
// every activation of the application.
TEST(AppDelegateDocumentMenus, TheSweepRunsAtLaunchAndWheneverTheApplicationBecomesActive)
{
    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    ManualMainQueue queue;
    std::vector<std::string> steps;
    const auto delegate = std::make_shared<AppDelegate>(LaunchServices {
        .scheduleAttachSweep = [&] { steps.push_back("sweep"); },
        .setupAutoUpdate = [&] { steps.push_back("updater"); },
    });
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(steps, (std::vector<std::string> { "sweep", "updater" }));
    delegate->applicationDidBecomeActive();
    EXPECT_EQ(steps, (std::vector<std::string> { "sweep", "updater", "sweep" }));
}

}
}
