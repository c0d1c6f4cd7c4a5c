#pragma once

#include "platform/core/Process.h"

#include <functional>
#include <string>
#include <vector>

namespace ikw {

// A run that prints nothing on either stream for this long is taken for stuck and ended, so a
// hung converter cannot hold later work forever.
inline constexpr double kEngineIdleTimeoutSeconds = 300;

struct EngineRunOptions {
    double idleTimeoutSeconds = kEngineIdleTimeoutSeconds;
    // The python3 the JSON runner starts; empty: pythonInterpreter(). (The one-shot jobs' fixed
    // command text finds python3 itself.)
    std::string interpreter;
};

// The search path the engine's scripts run with, whatever the application was started with.
inline constexpr const char* kEngineSearchPath = "/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin";

// This process's environment with PATH set to `searchPath`.
std::vector<std::string> environmentWithSearchPath(const std::string& searchPath);

// Runs `work` on a thread of its own. Engine runs block for as long as their child lives (minutes
// for a large review), so each gets its own thread rather than a worker of a fixed pool that a few
// long runs could fill. The thread ends with the work.
void runOnOwnThread(std::function<void()> work);

}
