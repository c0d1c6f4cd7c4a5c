#pragma once

#include <functional>
#include <optional>
#include <string>

namespace ikw {

// Where a download named `suggestedName` goes in `folder`: only the name's last path component
// counts (a page cannot aim outside the folder), and an existing file is never replaced: the
// first free name of "name.ext", "name 2.ext", "name 3.ext", ... is taken. Nothing when none is free.
std::optional<std::string> freeDownloadPath(const std::string& folder, const std::string& suggestedName,
    const std::function<bool(const std::string& path)>& exists);

}
