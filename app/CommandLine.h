#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

// The program's arguments, program path included. A switch is present when any argument equals it.
class CommandLine {
public:
    explicit CommandLine(std::vector<std::string> arguments) : m_arguments(std::move(arguments)) {}
    CommandLine(int argc, char** argv);

    bool has(std::string_view option) const;
    // The argument right after the first occurrence of `option`, unless it begins with "--"
    // (taken whatever it begins with when `takeAnything`).
    std::optional<std::string> valueOf(std::string_view option, bool takeAnything = false) const;

    const std::vector<std::string>& arguments() const { return m_arguments; }

private:
    std::vector<std::string> m_arguments;
};

}
