#pragma once

#include <optional>
#include <string>

namespace ikw {

// What a path from a page must be before an action touches the file system or a command line
// with it.
enum class PathNeed { Absolute, Existing };
// `path` when it is absolute (so it never begins with "-" and cannot pass for an option), holds
// no NUL and, for Existing, names a file or folder.
std::optional<std::string> checkedPagePath(const std::optional<std::string>& path, PathNeed need);

}
