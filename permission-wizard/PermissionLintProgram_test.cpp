// The program's "--permission-lint" mode, end to end, over the application's own configuration.
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

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

TEST(PermissionLintProgram, TheApplicationsPermissionMeetsTheBarWithTheBundledPictures)
{
    testing::TempHome home;
    ::unsetenv("IKW_RESOURCES_DIR"); // the build's own bundle (the home keeps it for its lifetime)
    const auto result = runProgram({ "--permission-lint" });
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "permission-lint: 1 permission(s) meet the bar\n");
    EXPECT_EQ(result.standardError, "");
    // The lint never writes the state file.
    EXPECT_EQ(testing::fileMode(home.file(".inkwarden/permissions.json")), 0u);
}

TEST(PermissionLintProgram, ResourcesWithoutTheDialogPicturesGiveOneFinding)
{
    testing::TempHome home; // its resources folder has no pictures
    testing::writeTestFile(home.file("Resources/VERSION"), "1.0\n");
    const auto result = runProgram({ "--permission-lint" });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.standardOutput.rfind("[findersync] dialog-image: dialogImageName 'PermissionDialog-finder' does not resolve", 0), 0u)
        << result.standardOutput;
    EXPECT_EQ(std::count(result.standardOutput.begin(), result.standardOutput.end(), '\n'), 1);
}

}
}
