#include "platform/core/OperatingSystem.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Text.h"

#include <sys/utsname.h>

namespace ikw {

namespace {

// A value as the shell reads it: quotes removed, and inside double quotes a backslash keeps the
// next character ("\"", "\\", "\$", "\`").
std::string unquoted(std::string_view value)
{
    std::string text;
    char quote = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (quote == 0 && (c == '"' || c == '\'')) {
            quote = c;
        } else if (c == quote) {
            quote = 0;
        } else if (c == '\\' && quote != '\'' && i + 1 < value.size()) {
            text += value[++i];
        } else {
            text += c;
        }
    }
    return text;
}

std::string kernelRelease()
{
    struct utsname names {};
    return uname(&names) == 0 ? names.release : "";
}

}

std::optional<std::string> shellAssignmentValue(std::string_view text, std::string_view key)
{
    for (const std::string& line : split(text, '\n')) {
        const std::string_view assignment = trim(line);
        if (assignment.size() > key.size() && assignment.starts_with(key) && assignment[key.size()] == '=')
            return unquoted(assignment.substr(key.size() + 1));
    }
    return std::nullopt;
}

std::optional<std::string> osReleasePrettyName(std::string_view osRelease)
{
    return shellAssignmentValue(osRelease, "PRETTY_NAME");
}

std::string operatingSystemVersionString()
{
    std::optional<std::string> name;
    for (const char* path : { "/etc/os-release", "/usr/lib/os-release" }) {
        if (const auto text = realFileSystem().readFile(path)) {
            name = osReleasePrettyName(*text);
            break;
        }
    }
    return name.value_or("Linux") + " (" + kernelRelease() + ")";
}

}
