#pragma once

#include <chrono>
#include <optional>

namespace ikw::wizard {

// The clock every capability picture is drawn from. It is absolute, so pictures on screen
// together run in step, and a picture is a pure function of its time.
class KDFlowClock {
public:
    KDFlowClock() = delete;

    // While set, every picture in the process is drawn at this time (for reproducible pictures).
    // Starts empty. Main thread only.
    static std::optional<double> pinned;

    // Seconds since 2001-01-01 00:00 UTC.
    static double secondsSinceReferenceDate(std::chrono::system_clock::time_point now);

    // The time a frame is drawn at: the pinned time when there is one; else 0 when motion is
    // reduced; else the seconds since the reference date.
    static double frameTime(bool reduceMotion, std::chrono::system_clock::time_point now);
};

}
