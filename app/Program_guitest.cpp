// The built program's welcome screenshot under the test display.
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace ikw {
namespace {

ProcessResult runProgram(const std::vector<std::string>& arguments)
{
    return testing::runProgram(IKW_APP_BINARY, arguments);
}

TEST(ProgramOnADisplay, WelcomeShotDrawsTheEngineWelcomePage)
{
    testing::TempHome home;
    unsetenv("IKW_RESOURCES_DIR"); // the build's own bundle, with the stand-in engine
    const auto out = home.file("w.png");
    const auto result = runProgram({ "--welcome-shot", out, "--size", "640x480", "--dark" });
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput.rfind("OK " + out + " (", 0), 0u) << result.standardOutput;
    EXPECT_NE(result.standardOutput.find(" bytes, 640x480, content span "), std::string::npos) << result.standardOutput;
    EXPECT_EQ(testing::readTestFile(out).substr(0, 4), "\x89PNG");
}

TEST(ProgramOnADisplay, WelcomeShotOfAPageThatDrawsNothingWritesNothing)
{
    testing::TempHome home; // its resources hold an empty welcome script
    testing::writeTestFile(home.file("Resources/engine/welcome.js"), "");
    const auto out = home.file("w.png");
    const auto result = runProgram({ "--welcome-shot", out, "--size", "640x480" });
    EXPECT_EQ(result.exitStatus, 3) << result.standardError;
    EXPECT_NE(result.standardError.find("welcome-shot: BLANK FRAME \u2014 luminance span "), std::string::npos) << result.standardError;
    EXPECT_FALSE(std::filesystem::exists(out));
}

}
}
