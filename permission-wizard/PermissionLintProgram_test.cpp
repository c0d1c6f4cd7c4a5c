// The program's "--permission-lint" mode, end to end.
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::wizard {
namespace {

ProcessResult runProgram(const std::vector<std::string>& arguments)
{
    return testing::runProgram(IKW_APP_BINARY, arguments);
}

TEST(PermissionLintProgram, SelftestPassesWhereverTheSwitchStands)
{
    testing::TempHome home;
    for (const auto& arguments : { std::vector<std::string> { "--permission-lint", "--selftest" }, { "--selftest", "--permission-lint" } }) {
        const auto result = runProgram(arguments);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.standardOutput, "permission-lint selftest OK (1 control clean, decoy caught by 5 rules)\n");
        EXPECT_EQ(result.standardError, "");
    }
}

TEST(PermissionLintProgram, WithNothingConfiguredItIsNotMeasured)
{
    testing::TempHome home;
    const auto result = runProgram({ "--permission-lint" });
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_EQ(result.standardError,
        "permission-lint: NOT MEASURED (configure() has not run, or this app declares no permissions)\n");
}

}
}
