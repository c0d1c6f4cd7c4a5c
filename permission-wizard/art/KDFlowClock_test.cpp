// The capability clock: absolute time since the reference date, 0 with reduced motion, and the
// pinned time over both.
#include "permission-wizard/art/KDFlowClock.h"

#include "permission-wizard/art/ContextMenuRowDiagram.h"
#include "permission-wizard/art/testing/RecordingDrawing.h"

#include <gtest/gtest.h>

namespace ikw::wizard {
namespace {

using Clock = std::chrono::system_clock;

// Unpins the clock however the test ends.
struct PinnedClock {
    explicit PinnedClock(std::optional<double> value) { KDFlowClock::pinned = value; }
    ~PinnedClock() { KDFlowClock::pinned.reset(); }
};

Clock::time_point unixTime(double seconds)
{
    return Clock::time_point(std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)));
}

TEST(KDFlowClock, FrameTimeIsThePinnedTimeElseZeroWithReducedMotionElseTheReferenceClock)
{
    const auto now = unixTime(978307200 + 12.5);
    struct Case {
        std::optional<double> pinned;
        bool reduceMotion;
        double expected;
    };
    const Case cases[] = { { std::nullopt, false, 12.5 }, { std::nullopt, true, 0 }, { 3.25, false, 3.25 },
        { 3.25, true, 3.25 } };
    for (const auto& [pinned, reduceMotion, expected] : cases) {
        SCOPED_TRACE(::testing::Message() << pinned.value_or(-1) << " " << reduceMotion);
        PinnedClock clock(pinned);
        EXPECT_DOUBLE_EQ(KDFlowClock::frameTime(reduceMotion, now), expected);
    }
    EXPECT_FALSE(KDFlowClock::pinned);
    EXPECT_DOUBLE_EQ(KDFlowClock::secondsSinceReferenceDate(unixTime(0)), -978307200);
    EXPECT_GT(KDFlowClock::frameTime(false, Clock::now()), 7e8); // live again once unpinned
}

TEST(KDFlowClock, PinnedFramesAtTwoWallClockTimesRecordTheSameDrawing)
{
    const art::ContextMenuRowDiagram diagram { .colors = { .accent = { 0, 0.4, 0.9, 1 } } };
    const auto frameAt = [&](double unixSeconds) {
        return art::testing::record(diagram, 600, 132, KDFlowClock::frameTime(false, unixTime(unixSeconds)));
    };
    EXPECT_NE(frameAt(1.7e9), frameAt(1.7e9 + 0.4));
    PinnedClock clock(2.0);
    EXPECT_EQ(frameAt(1.7e9), frameAt(1.7e9 + 0.4));
}

}
}
