#include "app/CommandLine.h"

#include <algorithm>

namespace ikw {

CommandLine::CommandLine(int argc, char** argv)
    : m_arguments(argv, argv + argc)
{
}

bool CommandLine::has(std::string_view option) const
{
    return std::find(m_arguments.begin(), m_arguments.end(), option) != m_arguments.end();
}

std::optional<std::string> CommandLine::valueOf(std::string_view option, bool takeAnything) const
{
    const auto it = std::find(m_arguments.begin(), m_arguments.end(), option);
    if (it == m_arguments.end() || it + 1 == m_arguments.end())
        return std::nullopt;
    const std::string& next = *(it + 1);
    if (!takeAnything && next.starts_with("--"))
        return std::nullopt;
    return next;
}

}
