#include "library/StandardPath.h"

#include "app/Globals.h"
#include "platform/core/Text.h"

#include <vector>

namespace ikw::library {

std::string standardizedPath(std::string_view path, std::string_view home)
{
    std::string expanded;
    if (path == "~" || path.starts_with("~/"))
        expanded = std::string(home) + std::string(path.substr(1));
    else
        expanded = std::string(path);
    if (expanded.empty())
        return {};
    const bool absolute = expanded.front() == '/';
    std::vector<std::string> kept;
    for (auto& component : split(expanded, '/', false)) {
        if (component == ".")
            continue;
        if (component == ".." && absolute) {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        kept.push_back(std::move(component));
    }
    std::string standardized = absolute ? "/" : "";
    for (std::size_t index = 0; index < kept.size(); ++index)
        standardized += (index ? "/" : "") + kept[index];
    return standardized.empty() && !absolute ? std::string(".") : standardized;
}

std::string standardizedPath(std::string_view path)
{
    return standardizedPath(path, globals().paths.home);
}

}
