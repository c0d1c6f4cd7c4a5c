// The location picture read back from its drawing commands: anchored a little below the
// canvas's middle, with its pin's hole standing out in each scheme.
#include "permission-wizard/art/LocationDiagram.h"

#include "permission-wizard/art/testing/RecordingDrawing.h"
#include "permission-wizard/art/testing/SampleColors.h"

#include <gtest/gtest.h>

namespace ikw::wizard::art {
namespace {

using testing::record;

const ArtColors colors = testing::sampleColors;

TEST(LocationDiagram, AnchorsAtFiftyTwoHundredthsOfTheHeight)
{
    for (const double height : { 132.0, 200.0 }) {
        SCOPED_TRACE(height);
        const double cx = 300;
        const double cm = 0.52 * height;
        const auto commands = record(LocationDiagram { .colors = colors }, 600, height, 0);
        const auto whole = testing::extent(commands);
        EXPECT_DOUBLE_EQ(whole.left(), cx - 96);
        EXPECT_DOUBLE_EQ(whole.right(), cx + 96);
        EXPECT_DOUBLE_EQ(whole.top(), cm - 46);
        EXPECT_DOUBLE_EQ(whole.bottom(), cm + 46);
        // The pin's tip 12 below the anchor, its hole 14 above it.
        const auto pins = testing::commandsWith(commands, Path::MoveTo { { cx, cm + 12 } });
        ASSERT_EQ(pins.size(), 1u);
        EXPECT_EQ(pins[0].color, colors.accent);
        EXPECT_EQ(commands.back().path, Path().ellipse({ cx - 4.5, cm - 18.5, 9, 9 }));
    }
}

TEST(LocationDiagram, EachSchemeTakesItsOwnHoleAndTint)
{
    struct Case {
        bool dark;
        Color hole;
        double tint;
    };
    for (const auto& [dark, hole, tintOpacity] :
        { Case { false, { 1, 1, 1, 0.95 }, 0.11 }, Case { true, { 0, 0, 0, 0.55 }, 0.16 } }) {
        SCOPED_TRACE(dark);
        const auto schemeColors = testing::sampleColorsIn(dark);
        const auto commands = record(LocationDiagram { .colors = schemeColors }, 600, 132, 0);
        EXPECT_EQ(commands.back().color, hole);
        const auto accuracy = testing::commandsWith(commands, Path::Ellipse { { 258, 0.52 * 132 - 30, 84, 60 } });
        ASSERT_EQ(accuracy.size(), 2u);
        EXPECT_EQ(accuracy[0].color, withOpacity(colors.accent, tintOpacity));
        EXPECT_EQ(accuracy[1].color, withOpacity(colors.accent, 0.7));
        EXPECT_EQ(accuracy[1].stroke->dash, (std::vector<double> { 4, 4 }));
    }
}

}
}
