#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ikw {

// The system's human-readable version: the distribution's PRETTY_NAME from os-release, then the
// kernel release in brackets, "Debian GNU/Linux 12 (bookworm) (6.1.0-18-amd64)". Without an
// os-release file the name is "Linux", as that file's own default says.
std::string operatingSystemVersionString();

// The value given to `key` in text of shell-style assignments ("KEY=value", the value optionally
// quoted), as os-release and machine-info hold them; nothing when the text has no such line.
std::optional<std::string> shellAssignmentValue(std::string_view text, std::string_view key);

// PRETTY_NAME of os-release text (shell-style assignments, the value optionally quoted); nothing
// when the text has none.
std::optional<std::string> osReleasePrettyName(std::string_view osRelease);

}
