#pragma once

#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::finder {

// The file work behind the folder grid's operations, done where it is called (a background
// worker) and answered with the reply object the grid page receives through fileOpDone. No
// operation replaces an existing item: names are claimed atomically, so two operations racing for
// one name end with two items.

// Where a new item named `name` goes in `folder`: the name itself, else "stem 2.ext", "stem 3.ext",
// ... (the extension is what follows the last dot). Nothing when thousands of names are taken.
std::optional<std::string> fmUniqueDest(std::string_view folder, std::string_view name);

// The name a page gave for a new or renamed item, when it is one: not empty, not "." or "..", and
// without "/" or NUL, so that it cannot reach outside its folder.
bool isPlainItemName(std::string_view name);

// {op "move", moved [{from, to}], failed [paths], dest, folder}: each item into `dest` under a
// free name; items already there are left out of both lists. A `dest` that is no folder fails
// every item (and the reply has no `folder`). `filledFolder` names the folder a new-folder
// operation just made, and is empty otherwise.
Json moveItems(const std::vector<std::string>& paths, const std::string& dest, const std::string& filledFolder = {});

// A new folder in `parent` (made when missing) named `name`, or "untitled folder" when the name is
// empty, numbered when taken. With `paths` the items move in and the reply is the move's;
// otherwise {op "newfolder", dest, folder}. Failure: {op "newfolder", failed: paths, or [parent]}.
Json makeFolder(const std::string& parent, const std::string& name, const std::vector<std::string>& paths);

// The reply of a new folder that could not be made: {op "newfolder", failed: paths, or [parent]}.
Json folderFailure(const std::string& parent, const std::vector<std::string>& paths);

// {op "trash", trashed, failed}.
Json trashItems(const std::vector<std::string>& paths, FileSystem& files);

// {op "rename", renamed {path: new path}} or {op "rename", failed [path]}. The new name is taken
// in the item's own folder, numbered when another item holds it; the item's own name renames
// nothing.
Json renameItem(const std::string& path, const std::string& name);

}
