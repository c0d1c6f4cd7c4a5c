#include "finder-extension/FinderSelection.h"

namespace ikw::finderext {

namespace {

SelectedItem itemAt(GFile* location)
{
    g_autofree char* name = g_file_get_basename(location);
    g_autofree char* path = g_file_get_path(location);
    SelectedItem item { name ? name : "", std::nullopt };
    if (path)
        item.localPath = path;
    return item;
}

}

SelectedItem selectedItem(GFile* location, GFile* target)
{
    auto item = itemAt(location);
    if (item.localPath || !target)
        return item;
    auto targetItem = itemAt(target);
    return targetItem.localPath ? targetItem : item;
}

std::vector<std::string> localPaths(const Selection& selection)
{
    std::vector<std::string> paths;
    for (const auto& item : selection) {
        if (item.localPath)
            paths.push_back(*item.localPath);
    }
    return paths;
}

}
