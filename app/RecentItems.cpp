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

void writeRecentItems(UserDefaults& defaults, std::vector<RecentItem> items)
{
    std::stable_sort(items.begin(), items.end(), [](const RecentItem& a, const RecentItem& b) { return a.ts > b.ts; });
    if (items.size() > kRecentCap)
        items.resize(kRecentCap);
    Json stored = Json::array();
    Json folders = Json::array();
    for (const auto& item : items) {
        stored.push_back(Json { { "path", item.path }, { "dir", item.isDir }, { "ts", item.ts } });
        if (item.isDir)
            folders.push_back(item.path);
    }
    defaults.set("recentItems", std::move(stored));
    defaults.set("recentFolders", std::move(folders));
}

std::vector<std::string> readPinnedFolders(const UserDefaults& defaults)
{
    return defaults.stringArray("pinnedFolders").value_or(std::vector<std::string> {});
}

void writePinnedFolders(UserDefaults& defaults, const std::vector<std::string>& paths)
{
    std::vector<std::string> unique;
    for (const auto& path : paths) {
        if (std::find(unique.begin(), unique.end(), path) == unique.end())
            unique.push_back(path);
    }
    defaults.set("pinnedFolders", Json(unique));
}

}
