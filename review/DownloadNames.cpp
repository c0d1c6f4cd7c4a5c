#include "review/DownloadNames.h"

#include "platform/core/Paths.h"
#include "platform/core/UniqueName.h"

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

std::optional<std::string> freeDownloadPath(const std::string& folder, const std::string& suggestedName,
    const std::function<bool(const std::string&)>& exists)
{
    return uniquePathInFolder(folder, safeName(suggestedName), exists);
}

}
