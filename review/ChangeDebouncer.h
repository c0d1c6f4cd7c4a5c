#pragma once

#include "platform/core/TaskQueue.h"

#include <functional>
#include <memory>
#include <optional>

namespace ikw {

// Turns a stream of change signals into refreshes: one 90 s after the last change of a burst, or
// at once for the first change 300 s or more into a burst that never pauses that long, so a folder
// that is written to constantly still refreshes every five minutes. Main queue only.
class ChangeDebouncer {
public:
    static constexpr double kQuietSeconds = 90;
    static constexpr double kCeilingSeconds = 300;

    explicit ChangeDebouncer(std::function<void()> onChange);
    ChangeDebouncer(const ChangeDebouncer&) = delete;
    ChangeDebouncer& operator=(const ChangeDebouncer&) = delete;

    void changed();
    // Forgets the pending burst; nothing fires afterwards.
    void cancel();

private:
    void settle();

    std::function<void()> m_onChange;
    std::optional<double> m_pendingSince;
    Timer m_debounce;
};

}
