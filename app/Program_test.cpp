// The built program's tool modes, end to end: exit statuses and messages.
#include "platform/core/Process.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

extern char** environ;

namespace ikw {
namespace {

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

ProcessResult runProgram(std::vector<std::string> arguments, std::optional<std::vector<std::string>> environment = std::nullopt)
{
    ProcessOptions options;
    options.environment = std::move(environment);
    options.argv = { IKW_APP_BINARY };
    options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
    options.timeoutSeconds = 60;
    return runProcess(options);
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

TEST(Program, WelcomeShotWithoutADisplayFailsAtOnce)
{
    testing::TempHome home;
    const auto result = runProgram({ "--welcome-shot", home.file("w.png") }, environmentWithoutDisplay());
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.standardError, "welcome-shot: no display (set DISPLAY or run under xvfb-run)\n");
}

}
}
