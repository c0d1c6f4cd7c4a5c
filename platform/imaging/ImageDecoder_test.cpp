#include "platform/imaging/ImageDecoder.h"

#include "platform/imaging/testing/ImageFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <array>
#include <sys/stat.h>

namespace ikw::imaging {
namespace {

using testing::Rgba;

constexpr Rgba red { 255, 0, 0, 255 };
constexpr Rgba halfBlue { 0, 0, 255, 128 };

std::array<int, 4> pixel(const RgbaImage& image, int x, int y)
{
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)) * 4;
    return { image.pixels[at], image.pixels[at + 1], image.pixels[at + 2], image.pixels[at + 3] };
}

// A PNG whose header claims `width` x `height` and whose pixel data is missing.
std::string pngHeaderOnly(std::uint32_t width, std::uint32_t height)
{
    const auto crc32 = [](const std::string& bytes) {
        std::uint32_t crc = 0xffffffffu;
        for (const unsigned char byte : bytes) {
            crc ^= byte;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
        return ~crc;
    };
    const auto bigEndian = [](std::uint32_t value) {
        return std::string { static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value) };
    };
    const std::string header = "IHDR" + bigEndian(width) + bigEndian(height) + std::string { 8, 6, 0, 0, 0 };
    return std::string("\x89PNG\r\n\x1a\n", 8) + bigEndian(13) + header + bigEndian(crc32(header));
}

TEST(ImageDecoder, FormatsDecodeAtFullSizeAsStraightRgba)
{
    ikw::testing::TempHome home;
    struct Case {
        std::string type;
        bool lossless;
    };
    for (const Case& format : { Case { "png", true }, Case { "bmp", true }, Case { "tiff", true }, Case { "jpeg", false } }) {
        SCOPED_TRACE(format.type);
        const std::string path = home.file("image." + format.type);
        testing::writeImage(path, 40, 20, red, format.type == "png" ? halfBlue : Rgba { 0, 0, 255, 255 }, format.type);
        const std::optional<RgbaImage> image = decodeImageFile(path);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 40);
        EXPECT_EQ(image->height, 20);
        ASSERT_EQ(image->pixels.size(), 40u * 20u * 4u);
        if (format.lossless) {
            EXPECT_EQ(pixel(*image, 5, 5), (std::array<int, 4> { 255, 0, 0, 255 }));
            const int alpha = format.type == "png" ? 128 : 255;
            EXPECT_EQ(pixel(*image, 35, 5), (std::array<int, 4> { 0, 0, 255, alpha }));
        } else {
            EXPECT_GT(pixel(*image, 5, 5)[0], 200);
            EXPECT_LT(pixel(*image, 5, 5)[2], 60);
        }
    }
}

TEST(ImageDecoder, LargeImagesKeepTheirPixelSize)
{
    ikw::testing::TempHome home;
    const std::string path = home.file("large.png");
    testing::writeImage(path, 3000, 2000, red, red);
    const std::optional<RgbaImage> image = decodeImageFile(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3000);
    EXPECT_EQ(image->height, 2000);
}

TEST(ImageDecoder, HeicLoadsWhereItsLoaderIsInstalled)
{
    ikw::testing::TempHome home;
    const std::string path = home.file("photo.heic");
    if (!testing::writeHeic(path, 64, 48, red, red))
        GTEST_SKIP() << "heif-enc cannot make a HEIC file here";
    const std::optional<RgbaImage> image = decodeImageFile(path);
    ASSERT_TRUE(image) << "no HEIC loader for gdk-pixbuf (heif-gdk-pixbuf)";
    EXPECT_EQ(image->width, 64);
    EXPECT_EQ(image->height, 48);
    EXPECT_GT(pixel(*image, 10, 10)[0], 200);
}

TEST(ImageDecoder, WhatIsNoReadableImageOfABoundedSizeIsRefused)
{
    ikw::testing::TempHome home;
    const std::string garbage = ikw::testing::writeTestFile(home.file("garbage.png"), "not an image");
    const std::string truncated = ikw::testing::writeTestFile(home.file("truncated.png"), pngHeaderOnly(16, 16));
    const std::string huge = ikw::testing::writeTestFile(home.file("huge.png"), pngHeaderOnly(20000, 20000));
    const std::string fifo = home.file("fifo.png");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : { garbage, truncated, huge, fifo, home.file("missing.png"), home.path() }) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(decodeImageFile(path));
    }
}

TEST(ImageDecoder, ImagesOfOtherProgramsDecode)
{
    for (const char* path : { "/usr/share/doc/libxslt1-dev/html/processing.gif", "/usr/share/doc/python3-pip/html/topics/deps.png" }) {
        struct stat status {};
        if (::stat(path, &status) != 0)
            continue;
        SCOPED_TRACE(path);
        const std::optional<RgbaImage> image = decodeImageFile(path);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->pixels.size(), static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height) * 4);
    }
}

}
}
