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

// The options, or nothing when the switches are refused.
std::optional<WelcomeShotOptions> shotOptions(std::vector<std::string> arguments)
{
    const auto parsed = parseWelcomeShotOptions(line(std::move(arguments)));
    const auto* options = std::get_if<WelcomeShotOptions>(&parsed);
    return options ? std::optional(*options) : std::nullopt;
}

std::string refusal(std::vector<std::string> arguments)
{
    const auto parsed = parseWelcomeShotOptions(line(std::move(arguments)));
    const auto* refused = std::get_if<WelcomeShotRefusal>(&parsed);
    return refused ? refused->message : "";
}

TEST(WelcomeShot, OptionsFollowTheSwitchRules)
{
    EXPECT_EQ(refusal({ "--welcome-shot" }), "--welcome-shot needs an output path\n");
    EXPECT_EQ(refusal({ "--welcome-shot", "--dark" }), "--welcome-shot needs an output path\n");

    struct Case {
        std::vector<std::string> arguments;
        std::optional<std::pair<double, double>> size; // nothing: refused with the usage
    };
    const Case sizes[] = {
        { { "--size", "800x600" }, std::pair { 800, 600 } },
        { { "--size", "1x16384" }, std::pair { 1, 16384 } },
        { { "--size" }, std::pair { 1280, 900 } },
        { {}, std::pair { 1280, 900 } },
        { { "--size", "800x" }, std::nullopt },
        { { "--size", "axb" }, std::nullopt },
        { { "--size", "800x600x2" }, std::nullopt },
        { { "--size", "1e5x1e5" }, std::nullopt },
        { { "--size", "16385x900" }, std::nullopt },
        { { "--size", "0x900" }, std::nullopt },
        { { "--size", "-800x600" }, std::nullopt },
        { { "--size", "800.5x600" }, std::nullopt },
        { { "--size", "--dark" }, std::nullopt },
    };
    for (const auto& c : sizes) {
        auto arguments = c.arguments;
        arguments.insert(arguments.begin(), { "--welcome-shot", "out.png" });
        const auto options = shotOptions(arguments);
        if (!c.size) {
            EXPECT_FALSE(options) << arguments.back();
            EXPECT_EQ(refusal(arguments).rfind("usage: CulmoraPhotos --welcome-shot OUT.png", 0), 0u) << arguments.back();
            continue;
        }
        ASSERT_TRUE(options);
        EXPECT_EQ(options->width, c.size->first);
        EXPECT_EQ(options->height, c.size->second);
    }

    const auto options = shotOptions({ "--welcome-shot", "o.png", "--dark", "--demo", "--tab", "tools" });
    ASSERT_TRUE(options);
    EXPECT_EQ(options->out, "o.png");
    EXPECT_TRUE(options->dark);
    EXPECT_EQ(options->demo, "marketing");
    EXPECT_TRUE(options->wantTools);
    EXPECT_FALSE(shotOptions({ "--welcome-shot", "o.png", "--tab", "x" })->wantTools);
    EXPECT_FALSE(shotOptions({ "--welcome-shot", "o.png", "tools" })->wantTools);
    EXPECT_EQ(shotOptions({ "--welcome-shot", "o.png", "--demo", "empty" })->demo, "empty");
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
