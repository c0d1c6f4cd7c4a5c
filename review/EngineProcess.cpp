#include "review/EngineProcess.h"

#include <thread>

extern char** environ;

namespace ikw {

std::vector<std::string> environmentWithSearchPath(const std::string& searchPath)
{
    std::vector<std::string> environment;
    for (char** entry = environ; entry && *entry; ++entry) {
        if (!std::string_view(*entry).starts_with("PATH="))
            environment.emplace_back(*entry);
    }
    environment.push_back("PATH=" + searchPath);
    return environment;
}

void runOnOwnThread(std::function<void()> work)
{
    std::thread(std::move(work)).detach();
}

}
