#include "review/DownloadNames.h"

#include "platform/core/Paths.h"

namespace ikw {

namespace {

std::string safeName(const std::string& suggested)
{
    auto name = lastPathComponent(suggested);
    if (name.empty() || name == "." || name == "..")
        return "download";
    return name;
}

}

std::string freeDownloadPath(const std::string& folder, const std::string& suggestedName,
    const std::function<bool(const std::string&)>& exists)
{
    const auto name = safeName(suggestedName);
    auto path = joinPath(folder, name);
    if (!exists(path))
        return path;
    // A leading dot starts a hidden name, not an extension.
    const auto dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const auto stem = hasExtension ? name.substr(0, dot) : name;
    const auto extension = hasExtension ? name.substr(dot) : std::string();
    for (int number = 2;; ++number) {
        path = joinPath(folder, stem + " " + std::to_string(number) + extension);
        if (!exists(path))
            return path;
    }
}

}
