#include "app/ToolSwitches.h"

#include <cstdio>

namespace ikw {

const std::vector<std::string>& ToolSwitches::order()
{
    static const std::vector<std::string> switches {
        "--permission-lint",
        "--night-selftest",
        "--finder-url-selftest",
        "--selftest-vault",
        "--permission-shot",
        "--welcome-shot",
    };
    return switches;
}

void ToolSwitches::set(const std::string& option, Handler handler)
{
    m_handlers[option] = std::move(handler);
}

std::optional<int> ToolSwitches::run(const CommandLine& commandLine) const
{
    for (const auto& option : order()) {
        if (!commandLine.has(option))
            continue;
        const auto it = m_handlers.find(option);
        if (it == m_handlers.end()) {
            std::fprintf(stderr, "%s is not available in this build\n", option.c_str());
            return 1;
        }
        return it->second(commandLine);
    }
    return std::nullopt;
}

}
