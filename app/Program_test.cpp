// The built program's tool modes, end to end: exit statuses and messages.
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

extern char** environ;

namespace ikw {
namespace {

ProcessResult runProgram(const std::vector<std::string>& arguments)
{
    return testing::runProgram(IKW_APP_BINARY, arguments);
}

// The environment of this process without the display variables.
std::vector<std::string> environmentWithoutDisplay()
{
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (text.rfind("DISPLAY=", 0) != 0 && text.rfind("WAYLAND_DISPLAY=", 0) != 0)
            entries.push_back(text);
    }
    return entries;
}

TEST(Program, WelcomeShotWithoutAnOutputPathExitsTwo)
{
    testing::TempHome home;
    for (const auto& arguments : { std::vector<std::string> { "--welcome-shot" }, { "--welcome-shot", "--dark" } }) {
        const auto result = runProgram(arguments);
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_EQ(result.standardError, "--welcome-shot needs an output path\n");
        EXPECT_EQ(result.standardOutput, "");
    }
}

TEST(Program, WelcomeShotWithASizeOutsideItsEdgesShowsTheUsage)
{
    testing::TempHome home;
    for (const char* size : { "1e5x1e5", "99999x10", "0x0", "640x" }) {
        const auto result = runProgram({ "--welcome-shot", home.file("w.png"), "--size", size });
        EXPECT_EQ(result.exitStatus, 2) << size;
        EXPECT_EQ(result.standardError.rfind("usage: CulmoraPhotos --welcome-shot OUT.png", 0), 0u) << result.standardError;
        EXPECT_EQ(result.standardOutput, "");
    }
}

TEST(Program, WelcomeShotWithoutADisplayFailsAtOnce)
{
    testing::TempHome home;
    ProcessOptions options;
    options.argv = { IKW_APP_BINARY, "--welcome-shot", home.file("w.png") };
    options.environment = environmentWithoutDisplay();
    options.timeoutSeconds = 60;
    const auto result = runProcess(options);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.standardError, "welcome-shot: no display (set DISPLAY or run under xvfb-run)\n");
}

}
}
