#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace ikw::testing {

// Polls `done` every `interval` until it holds (true) or `seconds` have passed (false), for work
// that ends in another process or thread.
inline bool waitFor(const std::function<bool()>& done, double seconds,
    std::chrono::milliseconds interval = std::chrono::milliseconds(100))
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(interval);
    }
    return true;
}

}
