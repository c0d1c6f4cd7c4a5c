// The built program's tool modes, end to end: exit statuses and messages.
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

ProcessResult runProgram(const std::vector<std::string>& arguments)
{
    return testing::runProgram(IKW_APP_BINARY, arguments);
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
