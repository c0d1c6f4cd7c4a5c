#include "permission-wizard/gtk/FrameThrottle.h"

namespace ikw::wizard::gtk {

bool FrameThrottle::admits(std::int64_t frameTimeMicroseconds)
{
    constexpr std::int64_t microsecondsPerSecond = 1'000'000;
    const std::int64_t slot = frameTimeMicroseconds * m_framesPerSecond / microsecondsPerSecond;
    if (m_lastSlot && slot <= *m_lastSlot)
        return false;
    m_lastSlot = slot;
    return true;
}

}
