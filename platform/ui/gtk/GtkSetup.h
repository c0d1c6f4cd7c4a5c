#pragma once

#include <functional>

namespace ikw::ui::gtk3 {

// Sets what WebKit needs on this machine before the first web view: without a GPU render node
// the compositing mode is switched off (unless the environment already decides).
void prepareWebKitEnvironment();

// Opens the display. False when there is none (no DISPLAY or WAYLAND_DISPLAY that answers).
bool initializeGtk();

// Runs the main loop (the main queue's tasks included) until `done` answers true or `timeoutSeconds`
// pass; answers whether `done` became true.
bool runMainLoopUntil(const std::function<bool()>& done, double timeoutSeconds);

}
