#pragma once

namespace ikw {

// The one application delegate of the regular start: it runs the launch sequence and owns the
// application-wide state that features hang off it.
class AppDelegate {
public:
    AppDelegate() = default;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // The launch sequence, once, on the main thread.
    void applicationDidFinishLaunching();
    // The application was activated again (a launcher click, a second start with no files).
    void applicationShouldHandleReopen(bool hasVisibleWindows);

    // Set by the routes that open something the system asked for; the delayed launch steps do
    // nothing once it is true.
    bool didOpen = false;
};

}
