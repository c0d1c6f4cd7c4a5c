// The built program's tool modes, end to end: exit statuses and messages.
#include "platform/core/Process.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

ProcessResult runProgram(std::vector<std::string> arguments)
{
    ProcessOptions options;
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

}
}
