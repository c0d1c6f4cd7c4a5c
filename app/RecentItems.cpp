#include "app/RecentItems.h"

#include "app/Globals.h"
#include "platform/core/Paths.h"

#include <algorithm>

namespace ikw {

UserDefaults appUserDefaults()
{
    const auto& paths = globals().paths;
    return UserDefaults(joinPath(paths.applicationSupport(kProductFolderName), std::string(kApplicationId) + ".json"));
}

std::vector<RecentItem> readRecentItems(const UserDefaults& defaults, double now)
{
    std::vector<RecentItem> items;
    const auto stored = defaults.array("recentItems");
    if (stored && std::all_of(stored->begin(), stored->end(), [](const Json& element) { return element.is_object(); })) {
        for (const auto& element : *stored) {
            const auto path = element.find("path");
            if (path == element.end() || !path->is_string())
                continue;
            const auto dir = element.find("dir");
            const auto ts = element.find("ts");
            items.push_back({
                .path = path->get<std::string>(),
                .isDir = dir != element.end() && dir->is_boolean() && dir->get<bool>(),
                .ts = ts != element.end() && ts->is_number() ? ts->get<double>() : 0,
            });
        }
        return items;
    }
    const auto folders = defaults.stringArray("recentFolders").value_or(std::vector<std::string> {});
    for (std::size_t i = 0; i < folders.size(); ++i)
        items.push_back({ .path = folders[i], .isDir = true, .ts = now - static_cast<double>(i + 1) });
    return items;
}

std::vector<std::string> readPinnedFolders(const UserDefaults& defaults)
{
    return defaults.stringArray("pinnedFolders").value_or(std::vector<std::string> {});
}

}
