// The drag guide's texts name the product verbatim, and its mark grows only when motion is allowed.
#include "permission-wizard/DragGuide.h"

#include <gtest/gtest.h>

namespace ikw::wizard {
namespace {

TEST(DragGuide, TextsCarryTheNameVerbatim)
{
    const DragGuide guide { "Culmora \"Photos\" & Co" };
    EXPECT_EQ(guide.instruction(), "Click + in that list and choose Culmora \"Photos\" & Co, then switch it on:");
    EXPECT_EQ(guide.tooltip(), "Drag Culmora \"Photos\" & Co into the list in Settings");
}

TEST(DragGuide, ScaleFollowsHoverUnlessMotionIsOffWhileTheShadowAlwaysSwitches)
{
    EXPECT_DOUBLE_EQ(DragGuide::targetScale(true, false), 1.06);
    EXPECT_DOUBLE_EQ(DragGuide::targetScale(true, true), 1.0);
    EXPECT_DOUBLE_EQ(DragGuide::targetScale(false, false), 1.0);
    EXPECT_DOUBLE_EQ(DragGuide::shadow(true).radius, 9);
    EXPECT_DOUBLE_EQ(DragGuide::shadow(false).opacity, 0.1);
}

TEST(DragGuide, EaseOutStartsFastAndStaysInItsRange)
{
    EXPECT_DOUBLE_EQ(DragGuide::easeOut(-1), 0);
    EXPECT_DOUBLE_EQ(DragGuide::easeOut(2), 1);
    EXPECT_GT(DragGuide::easeOut(0.5), 0.5);
}

}
}
