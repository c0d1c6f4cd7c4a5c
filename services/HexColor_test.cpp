#include "services/HexColor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace ikw::services {
namespace {

TEST(HexColor, ReadsSixCharactersAsTheNumberScannersDo)
{
    const struct {
        const char* text;
        std::optional<std::uint32_t> rgb;
    } cases[] = {
        { "#C8A872", 0xC8A872 },
        { "C8A872", 0xC8A872 },
        { "c8a872", 0xC8A872 },
        { "#FFF", std::nullopt },
        { "##C8A872", std::nullopt },
        { "C8A87200", std::nullopt },
        { "#C8A87200", std::nullopt },
        { "GGGGGG", std::nullopt },
        { "", std::nullopt },
        // The digits end at the first other character.
        { "12345G", 0x012345 },
        { "0x1234", 0x001234 },
        { "0X1234", 0x001234 },
        { "0xZZZZ", std::nullopt },
        // Leading white space is skipped; so is a line end.
        { " 12345", 0x012345 },
        { "\n12345", 0x012345 },
        { "      ", std::nullopt },
        // Six user-perceived characters, not six bytes: the accent joins the last digit.
        { "12345e\xCC\x81", 0x12345E },
        { "12345\xC3\xA9", 0x012345 },
    };
    for (const auto& c : cases) {
        const auto color = colorFromHexString(c.text);
        ASSERT_EQ(color.has_value(), c.rgb.has_value()) << c.text;
        if (!color)
            continue;
        const auto byte = [](double channel) { return static_cast<std::uint32_t>(std::lround(channel * 255)); };
        EXPECT_EQ(byte(color->red) << 16 | byte(color->green) << 8 | byte(color->blue), *c.rgb) << c.text;
        EXPECT_EQ(color->alpha, 1.0) << c.text;
    }
}

TEST(HexColor, ChannelsAreTheBytesOver255)
{
    const auto color = colorFromHexString("#C8A872");
    ASSERT_TRUE(color);
    EXPECT_DOUBLE_EQ(color->red, 200 / 255.0);
    EXPECT_DOUBLE_EQ(color->green, 168 / 255.0);
    EXPECT_DOUBLE_EQ(color->blue, 114 / 255.0);
}

}
}
