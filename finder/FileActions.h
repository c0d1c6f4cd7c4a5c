#pragma once

#include "finder/CloudFolderLink.h"
#include "finder/GridFileOps.h"

#include <functional>
#include <string>

namespace ikw {
class UrlActions;
}

namespace ikw::finder {

struct FileActionServices {
    GridFileServices grid {};
    CloudLinkServices cloud {};
    // Where "newfolder" makes its folder when the page names no parent.
    std::function<std::string()> homeFolder {};
};

// The page actions of the folder grid's file operations ("move", "movepick", "newfolder", "trash",
// "rename") and of the cloud-folder link ("dropboxlink", "dropboxhistory"). An action without an
// item it needs does nothing.
void registerActions(UrlActions& actions, const FileActionServices& services);

}
