#include "crossdoc/PageCells.h"

#include <gtest/gtest.h>

namespace ikw::crossdoc {
namespace {

pdf::PageImage filled(int width, int height, unsigned char value)
{
    return { width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3, value) };
}

unsigned char* pixel(pdf::PageImage& image, int x, int y)
{
    return image.pixels.data() + (static_cast<std::size_t>(y) * image.width + x) * 3;
}

TEST(PageCells, ACellChangesOnlyAboveTheThreshold)
{
    // One 10 x 10 cell holds 300 values: a difference sum of 4800 is a mean of exactly 16.0.
    struct Case {
        int extraValues; // values that differ by 17 instead of 16
        bool changed;
    };
    const Case cases[] = { { 0, false }, { 3, true } /* 4803 / 300 = 16.01 */ };
    for (const auto& test : cases) {
        const auto a = filled(10, 10, 0);
        auto b = filled(10, 10, 16);
        for (int i = 0; i < test.extraValues; ++i)
            b.pixels[static_cast<std::size_t>(i)] = 17;
        const CellCount count = compareCells(a, b);
        EXPECT_EQ(count.changed, test.changed ? 1 : 0) << test.extraValues;
        EXPECT_EQ(count.fraction(), test.changed ? 1.0 : 0.0);
        EXPECT_EQ(b.pixels[51], test.changed ? tinted({ 16, 16, 16 }).r : 16) << "a changed cell is tinted in place";
    }
}

TEST(PageCells, TheLastColumnIsCutOffAtTheEdge)
{
    // 1,000 px: 62 full columns and one of 8 px (992 to 999).
    const auto a = filled(1000, 20, 255);
    auto b = a;
    for (int y = 16; y < 18; ++y)
        for (int x = 992; x < 1000; ++x)
            std::fill_n(pixel(b, x, y), 3, 0);
    const CellCount count = compareCells(a, b);
    EXPECT_EQ(count.columns, 63);
    EXPECT_EQ(count.rows, 2);
    EXPECT_EQ(count.changed, 1);
    EXPECT_DOUBLE_EQ(count.fraction(), 1.0 / 126);
    EXPECT_EQ(pixel(b, 991, 19)[0], 255) << "the cell before is untouched";
    EXPECT_EQ(pixel(b, 999, 19)[1], tinted({ 255, 255, 255 }).g) << "the whole cell is tinted, its unchanged pixels too";
    EXPECT_EQ(pixel(b, 999, 15)[1], 255) << "the cell above is untouched";
}

TEST(PageCells, TintFollowsTheOverlayFormula)
{
    struct Case {
        Rgb in, out;
    };
    // red x 0.6 + 86.8 capped at 255, green and blue x 0.55, each truncated toward zero.
    const Case cases[] = {
        { { 255, 255, 255 }, { 239, 140, 140 } },
        { { 0, 0, 0 }, { 86, 0, 0 } },
        { { 200, 100, 1 }, { 206, 55, 0 } },
        { { 9, 201, 37 }, { 92, 110, 20 } },
    };
    for (const auto& test : cases) {
        const Rgb out = tinted(test.in);
        EXPECT_EQ(out.r, test.out.r) << int(test.in.r);
        EXPECT_EQ(out.g, test.out.g) << int(test.in.g);
        EXPECT_EQ(out.b, test.out.b) << int(test.in.b);
    }
}

TEST(PageCells, ASmallerPageIsPaddedWhiteAtItsRightAndBottom)
{
    auto small = filled(2, 1, 7);
    const auto padded = padToSize(small, 3, 2);
    ASSERT_EQ(padded.pixels.size(), 3u * 2 * 3);
    const std::vector<std::uint8_t> expected {
        7, 7, 7, 7, 7, 7, 255, 255, 255,
        255, 255, 255, 255, 255, 255, 255, 255, 255,
    };
    EXPECT_EQ(padded.pixels, expected);
    EXPECT_EQ(padToSize(small, 2, 1).pixels, small.pixels);

    // The padding is compared like any content: a dark page against a smaller one changes there.
    const auto large = filled(32, 16, 0);
    auto overlay = padToSize(filled(16, 16, 0), 32, 16);
    const CellCount count = compareCells(large, overlay);
    EXPECT_EQ(count.changed, 1);
    EXPECT_EQ(pixel(overlay, 31, 15)[0], tinted({ 255, 255, 255 }).r);
}

}
}
