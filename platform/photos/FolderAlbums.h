#pragma once

#include "platform/photos/PhotoLibrary.h"

#include <string>
#include <vector>

namespace ikw::photos {

// Whether `title` can name a folder directly inside the library folder: not empty, not "." or
// "..", and holding no "/" or NUL. Titles come from pages.
bool isAlbumTitle(const std::string& title);

// Album folders of symbolic links in `libraryFolder`. Each photo is linked once: a photo already
// linked in the album is counted without a second link, and new link names are made unique.
AlbumChange linkIntoAlbum(const std::string& libraryFolder, const std::vector<PhotoAsset>& photos, const std::string& title);
// Removes every link of the album that leads to one of the photos.
AlbumChange unlinkFromAlbum(const std::string& libraryFolder, const std::vector<PhotoAsset>& photos, const std::string& title);

}
