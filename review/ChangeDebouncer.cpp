#include "review/ChangeDebouncer.h"

namespace ikw {

ChangeDebouncer::ChangeDebouncer(std::function<void()> onChange)
    : m_onChange(std::move(onChange))
{
}

void ChangeDebouncer::changed()
{
    const double now = mainQueue().now();
    if (!m_pendingSince)
        m_pendingSince = now;
    m_debounce.cancel();
    if (now - *m_pendingSince >= kCeilingSeconds) {
        settle();
        return;
    }
    // The timer is owned by this object and cancelled with it, so `this` cannot dangle.
    m_debounce = mainQueue().schedule(kQuietSeconds, false, [this] { settle(); });
}

void ChangeDebouncer::cancel()
{
    m_debounce.cancel();
    m_pendingSince.reset();
}

void ChangeDebouncer::settle()
{
    m_pendingSince.reset();
    if (m_onChange)
        m_onChange();
}

}
