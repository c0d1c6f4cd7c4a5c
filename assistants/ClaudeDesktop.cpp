#include "assistants/ClaudeDesktop.h"

#include "platform/core/GObjectRef.h"
#include "platform/core/Text.h"

#include <gio/gdesktopappinfo.h>

#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace ikw::assistants::ClaudeDesktop {

namespace {

constexpr const char* kDesktopEntry = "claude-desktop.desktop";
constexpr const char* kProcessName = "claude-desktop";
constexpr double kPollSeconds = 0.5;

GObjectRef<GDesktopAppInfo> desktopEntry()
{
    return GObjectRef<GDesktopAppInfo>::adopt(g_desktop_app_info_new(kDesktopEntry));
}

bool isOwnProcessNamed(const std::string& pid, const char* name)
{
    struct stat info {};
    const std::string folder = "/proc/" + pid;
    if (::stat(folder.c_str(), &info) != 0 || info.st_uid != ::getuid())
        return false;
    std::ifstream comm(folder + "/comm");
    std::string command;
    std::getline(comm, command);
    return command == name;
}

}

bool isInstalled()
{
    return static_cast<bool>(desktopEntry());
}

std::vector<pid_t> runningProcesses()
{
    std::vector<pid_t> found;
    std::unique_ptr<DIR, int (*)(DIR*)> proc(::opendir("/proc"), ::closedir);
    if (!proc)
        return found;
    while (const dirent* entry = ::readdir(proc.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        if (isOwnProcessNamed(name, kProcessName))
            found.push_back(static_cast<pid_t>(std::stol(name)));
    }
    return found;
}

bool isRunning()
{
    return !runningProcesses().empty();
}

WaitClock steadyClock()
{
    return {
        .now = [] { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); },
        .sleep = [](double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); },
    };
}

bool quitAndWait(const std::function<bool()>& running, const std::function<void()>& askToQuit, double timeoutSeconds,
    const WaitClock& clock)
{
    askToQuit();
    const double deadline = clock.now() + timeoutSeconds;
    while (clock.now() < deadline) {
        if (!running())
            return true;
        clock.sleep(kPollSeconds);
    }
    return !running();
}

bool quit(double timeoutSeconds)
{
    const auto askToQuit = [] {
        for (const pid_t pid : runningProcesses())
            ::kill(pid, SIGTERM);
    };
    return quitAndWait(isRunning, askToQuit, timeoutSeconds, steadyClock());
}

void relaunch()
{
    if (const auto entry = desktopEntry())
        g_app_info_launch(G_APP_INFO(entry.get()), nullptr, nullptr, nullptr);
}

}
