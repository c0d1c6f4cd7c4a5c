#include "app/ToolSwitches.h"
#include "app/WelcomeShot.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

CommandLine line(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "/app/bin/CulmoraPhotos");
    return CommandLine(std::move(arguments));
}

TEST(ToolSwitches, FirstSwitchInTheFixedOrderDecides)
{
    ToolSwitches switches;
    std::vector<std::string> ran;
    for (const auto& option : ToolSwitches::order())
        switches.set(option, [&ran, option](const CommandLine&) { ran.push_back(option); return 0; });

    EXPECT_EQ(switches.run(line({ "--welcome-shot", "/tmp/x.png", "--night-selftest" })), 0);
    EXPECT_EQ(switches.run(line({ "--selftest", "--permission-lint" })), 0);
    EXPECT_EQ(ran, (std::vector<std::string> { "--night-selftest", "--permission-lint" }));
    EXPECT_EQ(switches.run(line({ "a.pdf", "--night" })), std::nullopt);
}

TEST(ToolSwitches, AnUnregisteredSwitchIsRefusedNotFaked)
{
    ToolSwitches switches;
    testing::internal::CaptureStderr();
    EXPECT_EQ(switches.run(line({ "--selftest-vault" })), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "--selftest-vault is not available in this build\n");
}

TEST(WelcomeShot, OptionsFollowTheSwitchRules)
{
    EXPECT_FALSE(parseWelcomeShotOptions(line({ "--welcome-shot" })));
    EXPECT_FALSE(parseWelcomeShotOptions(line({ "--welcome-shot", "--dark" })));

    struct Case {
        std::vector<std::string> arguments;
        double width, height;
    };
    const Case sizes[] = {
        { { "--size", "800x600" }, 800, 600 },
        { { "--size", "800x" }, 1280, 900 },
        { { "--size", "axb" }, 1280, 900 },
        { { "--size", "800x600x2" }, 1280, 900 },
        { { "--size" }, 1280, 900 },
        { {}, 1280, 900 },
    };
    for (const auto& c : sizes) {
        auto arguments = c.arguments;
        arguments.insert(arguments.begin(), { "--welcome-shot", "out.png" });
        const auto options = parseWelcomeShotOptions(line(arguments));
        ASSERT_TRUE(options);
        EXPECT_EQ(options->width, c.width);
        EXPECT_EQ(options->height, c.height);
    }

    const auto options = parseWelcomeShotOptions(line({ "--welcome-shot", "o.png", "--dark", "--demo", "--tab", "tools" }));
    ASSERT_TRUE(options);
    EXPECT_EQ(options->out, "o.png");
    EXPECT_TRUE(options->dark);
    EXPECT_EQ(options->demo, "marketing");
    EXPECT_TRUE(options->wantTools);
    EXPECT_FALSE(parseWelcomeShotOptions(line({ "--welcome-shot", "o.png", "--tab", "x" }))->wantTools);
    EXPECT_FALSE(parseWelcomeShotOptions(line({ "--welcome-shot", "o.png", "tools" }))->wantTools);
    EXPECT_EQ(parseWelcomeShotOptions(line({ "--welcome-shot", "o.png", "--demo", "empty" }))->demo, "empty");
}

Bitmap uniform(int width, int height, std::uint8_t value)
{
    Bitmap bitmap { width, height, width * 4, 4, {} };
    bitmap.pixels.assign(static_cast<std::size_t>(bitmap.stride) * static_cast<std::size_t>(height), value);
    return bitmap;
}

TEST(WelcomeShot, BlankFrameTestMeasuresTheContentArea)
{
    EXPECT_DOUBLE_EQ(contentLuminanceSpan(uniform(200, 200, 128)), 0.0);
    EXPECT_DOUBLE_EQ(contentLuminanceSpan(uniform(1, 1, 128)), -1.0);

    // Dark text on white inside the content area.
    Bitmap drawn = uniform(200, 200, 255);
    for (int y = 60; y < 80; ++y)
        for (int x = 40; x < 160; ++x)
            for (int c = 0; c < 3; ++c)
                drawn.pixels[static_cast<std::size_t>(y * drawn.stride + x * 4 + c)] = 0;
    EXPECT_NEAR(contentLuminanceSpan(drawn), 1.0, 1e-9);

    // The same mark outside the content area (top band) does not count.
    Bitmap edge = uniform(200, 200, 255);
    for (int x = 0; x < 200; ++x)
        edge.pixels[static_cast<std::size_t>(5 * edge.stride + x * 4)] = 0;
    EXPECT_DOUBLE_EQ(contentLuminanceSpan(edge), 0.0);
}

}
}
