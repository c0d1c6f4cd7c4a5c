#pragma once

#include <functional>

namespace ikw {

// Launch steps that belong to subsystems above the shell. The composition root fills them; a
// step left empty is skipped.
struct LaunchServices {
    std::function<void()> noteSession; // count the launch in the usage statistics
};

// The one application delegate of the regular start: it runs the launch sequence and owns the
// application-wide state that features hang off it.
class AppDelegate {
public:
    explicit AppDelegate(LaunchServices services = {}) : m_services(std::move(services)) {}
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // The launch sequence, once, on the main thread.
    void applicationDidFinishLaunching();
    // The application was activated again (a launcher click, a second start with no files).
    void applicationShouldHandleReopen(bool hasVisibleWindows);

    // Set by the routes that open something the system asked for; the delayed launch steps do
    // nothing once it is true.
    bool didOpen = false;

private:
    LaunchServices m_services;
};

}
