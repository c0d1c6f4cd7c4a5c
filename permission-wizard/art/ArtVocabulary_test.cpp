// The drawing vocabulary every diagram shares: the breathing pulse, the marching flow line, the
// arrow head and the scheme-dependent tints.
#include "permission-wizard/art/ArtVocabulary.h"

#include "permission-wizard/art/testing/RecordingDrawing.h"

#include <gtest/gtest.h>

namespace ikw::wizard::art {
namespace {

TEST(ArtVocabulary, PulseHoldsItsStillValuesAndBreathesWithinItsRange)
{
    struct Case {
        double phase;
        double atZero;
    };
    for (const auto& [phase, atZero] : { Case { 0, 0.775 }, Case { -0.18, 0.5714 }, Case { -0.36, 0.6016 } }) {
        SCOPED_TRACE(phase);
        EXPECT_NEAR(pulse(0, phase), atZero, 0.00005);
        for (double t = 0; t < 11; t += 0.25) {
            EXPECT_GE(pulse(t, phase), 0.55 - 1e-12);
            EXPECT_LE(pulse(t, phase), 1.0 + 1e-12);
            EXPECT_NEAR(pulse(t + 5.5, phase), pulse(t, phase), 1e-9);
        }
    }
    EXPECT_NEAR(pulse(5.5 / 4, 0), 1.0, 1e-12);
}

TEST(ArtVocabulary, FlowLineMarchesThirteenPointsASecondAndStaysSmallOnTheAbsoluteClock)
{
    const auto still = flowLineStyle(0);
    EXPECT_EQ(still.dash, (std::vector<double> { 5, 5 }));
    EXPECT_EQ(still.dashPhase, 0);
    EXPECT_EQ(still.cap, LineCap::Round);
    EXPECT_EQ(still.join, LineJoin::Miter);
    EXPECT_EQ(still.width, 2);
    EXPECT_DOUBLE_EQ(flowLineStyle(1).dashPhase, -13);
    // Today's clock is some 8e8 seconds past the reference date.
    const double phase = flowLineStyle(8.1e8 + 0.3).dashPhase;
    EXPECT_LE(phase, 0);
    EXPECT_GT(phase, -1000);
}

TEST(ArtVocabulary, ArrowHeadIsAnOpenChevronEndingAtItsTip)
{
    testing::RecordingDrawing drawing;
    const Color red { 1, 0, 0, 1 };
    drawArrowHead(drawing, 100, 40, red);
    ASSERT_EQ(drawing.commands().size(), 1u);
    const auto& command = drawing.commands().front();
    EXPECT_EQ(command.path, Path::polyline({ { 87, 34 }, { 100, 40 }, { 87, 46 } }));
    EXPECT_EQ(command.color, red);
    ASSERT_TRUE(command.stroke);
    EXPECT_EQ(*command.stroke, (StrokeStyle { .width = 2, .cap = LineCap::Round, .join = LineJoin::Round }));
    EXPECT_EQ(command.stroke->miterLimit, 10);
}

TEST(ArtVocabulary, TintsAndOpacitiesMultiplyTheColoursOwnAlpha)
{
    const ArtColors colors { .accent = { 0.2, 0.4, 0.6, 0.5 } };
    EXPECT_EQ(tint(colors, { 0.28, 0.20 }), (Color { 0.2, 0.4, 0.6, 0.1 }));
    auto dark = colors;
    dark.dark = true;
    EXPECT_EQ(tint(dark, { 0.28, 0.20 }), (Color { 0.2, 0.4, 0.6, 0.14 }));
    EXPECT_EQ(withOpacity({ 1, 1, 1, 1 }, 0.3), white(0.3));
}

}
}
