#include "platform/imaging/PngEncoder.h"

#include "platform/core/Base64.h"
#include "platform/imaging/testing/ImageFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <fstream>

namespace ikw::imaging {
namespace {

using testing::Rgba;

constexpr Rgba clear { 0, 0, 0, 0 };
constexpr Rgba ink { 20, 30, 200, 255 };

// The PNG that signPngBase64 made of `path`, decoded again.
std::optional<RgbaImage> roundTrip(const ikw::testing::TempHome& home, const std::string& path, int maxWidth = 1600)
{
    const auto base64 = signPngBase64(path, maxWidth);
    if (!base64)
        return std::nullopt;
    const auto png = decodeBase64(*base64);
    EXPECT_TRUE(png);
    const std::string copy = home.file("out.png");
    std::ofstream(copy, std::ios::binary) << png.value_or("");
    return decodeImageFile(copy);
}

int alphaAt(const RgbaImage& image, int x, int y)
{
    return image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4 + 3];
}

TEST(SignPngBase64, ImagesAreOnlyEverMadeSmallerAndKeepTheirProportions)
{
    ikw::testing::TempHome home;
    const struct {
        int width, height, maxWidth;
        int expectedWidth, expectedHeight;
    } cases[] = {
        { 4000, 1000, 1600, 1600, 400 },
        { 800, 600, 1600, 800, 600 },
        { 1, 300, 1600, 1, 300 },
        // Whole pixels are cut, not rounded: 1001 x 1600 / 3999 is 400.5.
        { 3999, 1001, 1600, 1600, 400 },
        // A sliver keeps one pixel of height.
        { 3000, 1, 100, 100, 1 },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::to_string(test.width) + "x" + std::to_string(test.height));
        const std::string path = home.file("in.png");
        testing::writeImage(path, test.width, test.height, ink, ink);
        const auto image = roundTrip(home, path, test.maxWidth);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, test.expectedWidth);
        EXPECT_EQ(image->height, test.expectedHeight);
    }
}

TEST(SignPngBase64, CommonFormatsLoadAndTransparencySurvivesTheScaling)
{
    ikw::testing::TempHome home;
    for (const std::string type : { "png", "jpeg", "tiff", "webp" }) {
        SCOPED_TRACE(type);
        const std::string path = home.file("signature." + type);
        testing::writeImage(path, 64, 16, ink, ink, type);
        const auto image = roundTrip(home, path);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 64);
        EXPECT_EQ(image->height, 16);
    }

    const std::string transparent = home.file("transparent.png");
    testing::writeImage(transparent, 3200, 40, clear, ink);
    const auto scaled = roundTrip(home, transparent);
    ASSERT_TRUE(scaled);
    ASSERT_EQ(scaled->width, 1600);
    EXPECT_EQ(alphaAt(*scaled, 10, 10), 0);
    EXPECT_EQ(alphaAt(*scaled, 1590, 10), 255);
}

TEST(SignPngBase64, WhatIsNoImageGivesNothing)
{
    ikw::testing::TempHome home;
    const std::string text = home.file("notes.png");
    std::ofstream(text) << "not an image";
    EXPECT_FALSE(signPngBase64(text));
    EXPECT_FALSE(signPngBase64(home.file("missing.png")));
    EXPECT_FALSE(signPngBase64(home.path()));
}

}
}
