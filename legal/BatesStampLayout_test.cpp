#include "legal/BatesStampLayout.h"

#include "legal/BatesOutputNames.h"

#include <gtest/gtest.h>

namespace ikw::legal::BatesStamper {
namespace {

BatesConfig at(BatesPosition position)
{
    BatesConfig config;
    config.position = position;
    return config;
}

TEST(BatesStampLayout, EveryPositionOnALetterPage)
{
    // tw 50, a 8, d 2, margin 24 on 612 x 792.
    struct Case {
        BatesPosition position;
        StampPoint expected;
    };
    const Case cases[] = {
        { BatesPosition::bottomRight, { 612 - 24 - 50, 24 + 2 } },
        { BatesPosition::bottomCenter, { (612 - 50) * 0.5, 24 + 2 } },
        { BatesPosition::bottomLeft, { 24, 24 + 2 } },
        { BatesPosition::topRight, { 612 - 24 - 50, 792 - 24 - 8 } },
        { BatesPosition::topCenter, { (612 - 50) * 0.5, 792 - 24 - 8 } },
        { BatesPosition::topLeft, { 24, 792 - 24 - 8 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(rawValue(c.position)));
        EXPECT_EQ(stampPosition(612, 792, 50, 8, 2, at(c.position)), c.expected);
    }
}

TEST(BatesStampLayout, TheLabelStaysOnThePage)
{
    BatesConfig config = at(BatesPosition::bottomRight);
    // A label wider than the page starts at x = 2; a page lower than the label puts it at y = 2.
    EXPECT_EQ(stampPosition(40, 792, 100, 8, 2, config).x, 2);
    EXPECT_EQ(stampPosition(40, 5, 100, 8, 2, at(BatesPosition::topLeft)), (StampPoint { 2, 2 }));
    // A margin larger than the page is pulled back in: right edge and top edge 2 points inside.
    config.margin = 500;
    EXPECT_EQ(stampPosition(300, 300, 50, 8, 2, config), (StampPoint { 2, 300 - 8 - 2 }));
    config.position = BatesPosition::topRight;
    config.margin = -30;
    EXPECT_EQ(stampPosition(300, 300, 50, 8, 2, config), (StampPoint { 300 - 50 - 2, 300 - 8 - 2 }));
}

TEST(BatesStampLayout, HaloOffsetsGrowWithTheFontAboveAFloor)
{
    EXPECT_DOUBLE_EQ(haloOffset(10), 0.9);
    EXPECT_DOUBLE_EQ(haloOffset(5), 0.6);
    EXPECT_DOUBLE_EQ(haloOffset(20), 1.8);
    const double o = haloOffset(10);
    const std::array<StampPoint, 8> expected = { { { -o, 0 }, { o, 0 }, { 0, -o }, { 0, o }, { -o, -o }, { o, o }, { -o, o }, { o, -o } } };
    EXPECT_EQ(haloOffsets(10), expected);
}

TEST(BatesOutputNames, CopyNamesStayInTheFolderAndInSight)
{
    BatesConfig config;
    struct Case {
        std::string prefix;
        bool nameByBates;
        std::string source;
        std::string expected;
    };
    const Case cases[] = {
        { "ABC", true, "/in/report.pdf", "ABC000007.pdf" },
        { "../x", true, "/in/report.pdf", "_._x000007.pdf" },
        { "a/b\tc\x7f", true, "/in/report.pdf", "a_b_c_000007.pdf" },
        { ".hidden", true, "/in/report.pdf", "_hidden000007.pdf" },
        { "ABC", false, "/in/report.PDF", "report.pdf" },
        { "ABC", false, "/in/scan.v2.Png", "scan.v2.pdf" },
        { "ABC", false, "/in/.pdf", "_pdf.pdf" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        config.prefix = c.prefix;
        config.nameByBates = c.nameByBates;
        EXPECT_EQ(copyName(config, 7, c.source), c.expected);
    }
    EXPECT_EQ(numberedCopyName("report.pdf", 1), "report.pdf");
    EXPECT_EQ(numberedCopyName("report.pdf", 2), "report-2.pdf");
    EXPECT_EQ(numberedCopyName("scan.v2.pdf", 13), "scan.v2-13.pdf");
}

}
}
