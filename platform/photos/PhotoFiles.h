#pragma once

#include "platform/photos/PhotoLibrary.h"

#include <optional>
#include <string>
#include <vector>

namespace ikw::photos {

// Whether the content type guessed from the file's name is an image (image/jpeg, image/png, ...).
bool isImageName(const std::string& name);

// The image files under `folder`, each with its path relative to the folder as identifier and no
// date yet. Hidden files and folders, symbolic links and unreadable folders are left out. A
// missing folder has none.
std::vector<PhotoAsset> listImageFiles(const std::string& folder);

// The image that `localIdentifier` names under `folder`: a relative path of visible components,
// none of them a symbolic link, ending in an image file. Nothing for anything else, so an
// identifier from a page can never reach outside the library.
std::optional<PhotoAsset> imageForIdentifier(const std::string& folder, const std::string& localIdentifier);

}
