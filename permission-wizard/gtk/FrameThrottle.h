#pragma once

#include <cstdint>
#include <optional>

namespace ikw::wizard::gtk {

// Thins a display's frames to a redraw rate: lets through the first frame of each slot of
// 1/rate seconds of the frame clock, never a second one, so a faster display redraws `rate`
// times a second (a 60 Hz one every other frame) and a slower one at every frame.
class FrameThrottle {
public:
    explicit FrameThrottle(int framesPerSecond) : m_framesPerSecond(framesPerSecond) {}

    // Whether the frame at this frame-clock time (microseconds, never decreasing) is drawn.
    bool admits(std::int64_t frameTimeMicroseconds);

private:
    int m_framesPerSecond;
    std::optional<std::int64_t> m_lastSlot;
};

}
