#pragma once

#include <functional>
#include <sys/types.h>
#include <vector>

namespace ikw::assistants::ClaudeDesktop {

// The desktop application as this machine has it: a desktop entry "claude-desktop.desktop" and
// processes of this user named "claude-desktop".
bool isInstalled();
std::vector<pid_t> runningProcesses();
bool isRunning();
// Asks every running instance to end (SIGTERM) and waits for them to go.
bool quit(double timeoutSeconds);
// Starts the application from its desktop entry; not waited for.
void relaunch();

// The clock a wait runs on, replaceable in tests.
struct WaitClock {
    std::function<double()> now;
    std::function<void(double seconds)> sleep;
};
WaitClock steadyClock();

// After `askToQuit`, polls `running` every half second until it is false or `timeoutSeconds`
// have passed; true when nothing runs any more.
bool quitAndWait(const std::function<bool()>& running, const std::function<void()>& askToQuit, double timeoutSeconds,
    const WaitClock& clock);

}
