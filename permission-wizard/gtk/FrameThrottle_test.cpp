// The canvas's redraw rate: whatever the display's refresh, at most 30 frames a second get drawn.
#include "permission-wizard/gtk/FrameThrottle.h"

#include <gtest/gtest.h>

namespace ikw::wizard::gtk {
namespace {

TEST(FrameThrottle, AdmitsAtMostThirtyFramesASecondAtAnyRefreshRate)
{
    struct Case {
        double refreshHz;
        int expected; // frames drawn a second
    };
    const Case cases[] = { { 144, 30 }, { 60, 30 }, { 59.94, 30 }, { 30, 30 }, { 24, 24 }, { 1, 1 } };
    for (const auto& [refreshHz, expected] : cases) {
        SCOPED_TRACE(refreshHz);
        FrameThrottle throttle(30);
        // A frame clock's times start anywhere, in microseconds.
        const std::int64_t start = 7'123'456'789;
        int drawn = 0;
        for (int frame = 0; frame < 10 * refreshHz; ++frame)
            drawn += throttle.admits(start + static_cast<std::int64_t>(frame * 1e6 / refreshHz));
        // Over ten seconds; the first and last slot may be cut by the start.
        EXPECT_NEAR(drawn, 10 * expected, 1);
    }
}

TEST(FrameThrottle, RepeatedOrEarlierFrameTimesAreNotDrawnTwice)
{
    FrameThrottle throttle(30);
    EXPECT_TRUE(throttle.admits(1'000'000));
    EXPECT_FALSE(throttle.admits(1'000'000));
    EXPECT_FALSE(throttle.admits(999'000));
    EXPECT_TRUE(throttle.admits(1'034'000));
}

}
}
