#include "app/RegularStart.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(RegularStart, TheToolkitNeverSeesTheDemoSwitch)
{
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> toolkit;
    };
    const Case cases[] = {
        { { "app", "--demo", "qa" }, { "app" } },
        { { "app", "--demo", "qa", "/d/a.pdf" }, { "app", "/d/a.pdf" } },
        { { "app", "/d/a.pdf", "--demo" }, { "app", "/d/a.pdf" } },
        { { "app", "--demo", "--demo", "x" }, { "app" } },
        { { "app", "/d/--demo.pdf" }, { "app", "/d/--demo.pdf" } },
        { { "app" }, { "app" } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(toolkitArguments(CommandLine(c.arguments)), c.toolkit) << c.arguments.size();
}

}
}
