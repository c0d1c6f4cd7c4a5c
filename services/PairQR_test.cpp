#include "services/PairQR.h"

#include "platform/imaging/ImageDecoder.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>

namespace ikw::services {
namespace {

std::array<int, 3> eightBit(double red, double green, double blue)
{
    return { static_cast<int>(std::lround(red * 255)), static_cast<int>(std::lround(green * 255)), static_cast<int>(std::lround(blue * 255)) };
}

bool near(const std::array<int, 3>& a, const std::array<int, 3>& b)
{
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::abs(a[i] - b[i]) > 1)
            return false;
    }
    return true;
}

// A phone's camera reads the payload back; the picture is the size asked for, sharp (two colours
// only), with the paper colour in its quiet zone.
TEST(PairQR, APhoneReadsThePairingAddressFromTheImage)
{
    EXPECT_EQ(pairQRPayload("K7M2P9QX"), "inkwarden://pair?code=K7M2P9QX");
    testing::TempHome home;
    for (const int side : { 168, 336 }) {
        const auto png = pairQRImage("K7M2P9QX", side);
        ASSERT_TRUE(png);
        const std::string path = testing::writeTestFile(home.file("qr-" + std::to_string(side) + ".png"), *png);

        const auto read = testing::runProgram(findExecutable("zbarimg"), { "--quiet", "--raw", path });
        ASSERT_TRUE(read.started) << "zbarimg (zbar-tools) is needed: " << read.spawnError;
        EXPECT_EQ(read.standardOutput, "inkwarden://pair?code=K7M2P9QX\n") << read.standardError;

        const auto image = imaging::decodeImageFile(path);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, side);
        EXPECT_EQ(image->height, side);
        std::set<std::array<int, 3>> colours;
        for (std::size_t i = 0; i + 3 < image->pixels.size(); i += 4)
            colours.insert({ image->pixels[i], image->pixels[i + 1], image->pixels[i + 2] });
        ASSERT_EQ(colours.size(), 2u) << "scaled without smoothing";
        const std::array<int, 3> topLeft { image->pixels[0], image->pixels[1], image->pixels[2] };
        EXPECT_TRUE(near(topLeft, eightBit(0.99, 0.97, 0.93)));
        EXPECT_TRUE(near(*colours.begin() == topLeft ? *colours.rbegin() : *colours.begin(), eightBit(0.16, 0.13, 0.10)));
    }
}

TEST(PairQR, NoImageForAnImpossibleSize)
{
    EXPECT_EQ(pairQRImage("K7M2P9QX", 0), std::nullopt);
    // Longer than any QR code holds at the highest correction.
    EXPECT_EQ(pairQRImage(std::string(2000, 'A')), std::nullopt);
}

}
}
