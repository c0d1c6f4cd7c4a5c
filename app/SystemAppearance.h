#pragma once

#include <functional>
#include <memory>

namespace ikw {

// The desktop's light or dark preference (the freedesktop settings portal's color-scheme, else
// GTK's prefer-dark setting), and word when it changes. Main thread only.
class SystemAppearance {
public:
    virtual ~SystemAppearance() = default;
    virtual bool prefersDark() const = 0;
    virtual void setChangeHandler(std::function<void()> changed) = 0;
};

// Word that the machine woke from sleep (logind's PrepareForSleep(false) on the system bus).
class WakeMonitor {
public:
    virtual ~WakeMonitor() = default;
    virtual void setWakeHandler(std::function<void()> woke) = 0;
};

std::unique_ptr<SystemAppearance> makeDesktopAppearance();
std::unique_ptr<WakeMonitor> makeLogindWakeMonitor();

}
