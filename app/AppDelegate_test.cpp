#include "app/AppDelegate.h"
#include "app/Globals.h"
#include "platform/core/FileSystem.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(AppDelegate, LaunchRunsItsStepsInOrderOnce)
{
    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    testing::writeTestFile(home.file(".local/share/QEL Visualize/marker"), "");
    std::vector<std::string> steps;
    AppDelegate delegate(LaunchServices {
        .noteSession = [&] {
            // The legacy folder has moved before anything else touches the product folder.
            steps.push_back(realFileSystem().exists(home.file(".local/share/Inkwarden/marker")) ? "noteSession after migration" : "noteSession");
        },
    });
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(steps, (std::vector<std::string> { "noteSession after migration" }));
}

}
}
