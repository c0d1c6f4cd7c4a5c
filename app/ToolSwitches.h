#pragma once

#include "app/CommandLine.h"

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace ikw {

// The switches that turn the program into a one-shot tool, tested in a fixed order; the first one
// present decides. Each subsystem registers the handler of its switch; a switch whose handler is
// not registered is refused with a message and status 1.
class ToolSwitches {
public:
    using Handler = std::function<int(const CommandLine&)>;

    // In the order they are tested.
    static const std::vector<std::string>& order();

    void set(const std::string& option, Handler handler);
    // The exit status of the tool mode chosen by the command line, or nothing for a regular start.
    std::optional<int> run(const CommandLine& commandLine) const;

private:
    std::map<std::string, Handler> m_handlers;
};

}
