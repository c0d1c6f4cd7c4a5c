#include "platform/ui/Printing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ikw::ui {
namespace {

TEST(PlacePageOnPaper, FitsDownNeverUpAndTurnsToThePapersOrientation)
{
    const PrintPageSize a4 { 595, 842 };
    struct Case {
        const char* name;
        PrintPageSize page;
        PrintPlacement expected;
    };
    const Case cases[] = {
        { "same size", { 595, 842 }, { false, 1.0, 0, 0 } },
        { "smaller stays its size, centred", { 300, 400 }, { false, 1.0, 147.5, 221 } },
        { "larger scales down", { 1190, 1684 }, { false, 0.5, 0, 0 } },
        { "landscape turns", { 842, 595 }, { true, 1.0, 595, 0 } },
        { "wide landscape turns and scales", { 1684, 595 }, { true, 0.5, 446.25, 0 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PrintPlacement placement = placePageOnPaper(c.page, a4);
        EXPECT_EQ(placement.rotated, c.expected.rotated);
        EXPECT_NEAR(placement.scale, c.expected.scale, 1e-9);
        EXPECT_NEAR(placement.x, c.expected.x, 1e-6);
        EXPECT_NEAR(placement.y, c.expected.y, 1e-6);
    }
}

TEST(PlacePageOnPaper, UnusableSizesPlaceNothing)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const PrintPageSize page : { PrintPageSize { 0, 10 }, PrintPageSize { nan, 10 }, PrintPageSize { -5, 10 } }) {
        const PrintPlacement placement = placePageOnPaper(page, { 595, 842 });
        EXPECT_FALSE(placement.rotated);
        EXPECT_EQ(placement.scale, 1);
        EXPECT_EQ(placement.x, 0);
    }
}

}
}
