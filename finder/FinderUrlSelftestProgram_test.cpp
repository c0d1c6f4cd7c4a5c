// The built program's --finder-url-selftest switch.
#include "platform/core/Process.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(FinderUrlSelftestProgram, PrintsTheOkLineAndExitsZero)
{
    testing::TempHome home;
    ProcessOptions options;
    // The welcome-shot switch comes later in the order, so the self-test alone runs.
    options.argv = { IKW_APP_BINARY, "--welcome-shot", "out.png", "--finder-url-selftest" };
    options.timeoutSeconds = 60;
    const auto result = runProcess(options);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "finder-url selftest OK (5 decoys refused, 4 controls parsed)\n");
    EXPECT_EQ(result.standardError, "");
}

}
}
