#include "finder/FileActions.h"

#include "finder/GridFileWork.h"
#include "platform/core/Text.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

namespace ikw::finder {

namespace {

// Whether the query holds an item of that name at all, readable or not.
bool carriesItem(std::string_view url, std::string_view name)
{
    const auto question = url.find('?');
    if (question == std::string_view::npos)
        return false;
    for (const std::string& item : split(url.substr(question + 1), '&')) {
        if (item == name || item.starts_with(std::string(name) + "="))
            return true;
    }
    return false;
}

void registerGridActions(UrlActions& actions, const FileActionServices& services)
{
    const GridFileServices& grid = services.grid;
    actions.add("move", [grid](const UrlAction& action) {
        if (const auto dest = action.item("dest"))
            fmMove(grid, action.window, action.paths(), *dest);
    });
    actions.add("movepick", [grid](const UrlAction& action) { fmPickAndMove(grid, action.window, action.paths()); });
    actions.add("newfolder", [grid, home = services.homeFolder](const UrlAction& action) {
        const auto parent = action.item("parent");
        const auto name = action.item("name");
        // A name the page sent but that does not decode (a NUL, broken UTF-8) is refused, not
        // taken for a missing one.
        if (!name && carriesItem(action.url, "name")) {
            fmPost(action.window.web, folderFailure(parent.value_or(""), action.paths()));
            return;
        }
        fmNewFolder(grid, action.window, parent ? *parent : home(), name.value_or(""), action.paths());
    });
    actions.add("trash", [grid](const UrlAction& action) { fmTrash(grid, action.window, action.paths()); });
    actions.add("rename", [grid](const UrlAction& action) {
        const auto path = action.item("path");
        const auto name = action.item("name");
        if (path && name)
            fmRename(grid, action.window, *path, *name);
    });
}

void registerCloudActions(UrlActions& actions, const CloudLinkServices& cloud)
{
    actions.add("dropboxlink", [cloud](const UrlAction& action) {
        if (const auto path = action.item("path"))
            copyDropboxLink(cloud, *path, action.window.web);
    });
    actions.add("dropboxhistory", [cloud](const UrlAction& action) {
        if (const auto path = action.item("path"))
            openDropboxHistory(cloud, *path, action.window.web);
    });
}

}

void registerActions(UrlActions& actions, const FileActionServices& services)
{
    registerGridActions(actions, services);
    registerCloudActions(actions, services.cloud);
}

}
