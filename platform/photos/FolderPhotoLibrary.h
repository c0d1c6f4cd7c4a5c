#pragma once

#include "platform/photos/PhotoLibrary.h"

#include <functional>
#include <memory>
#include <string>

namespace ikw::thumbnail {
class PixelBudget;
}

namespace ikw::photos {

struct FolderLibraryOptions {
    // The library: every image file under it (the XDG pictures folder).
    std::string folder;
    // Whether this user may read a folder that exists; empty: access(2). Tests run as root, where
    // permissions refuse nothing.
    std::function<bool(const std::string& folder)> canRead {};
};

// The photo library of a desktop without one: the image files under a folder. Access is denied
// only for a folder that exists and cannot be read; a missing folder is an empty library. An image
// is a file whose content type (guessed from its name) is an image, found walking the folder with
// hidden entries and symbolic links left out; its identifier is its path relative to the folder
// and its date the EXIF DateTimeOriginal, else its modification time. An album is a folder named by
// its title directly in the library folder holding one symbolic link per photo, which the walk
// never follows, so filing a photo never adds it twice. Safe to use from several threads.
class FolderPhotoLibrary final : public PhotoLibrary {
public:
    explicit FolderPhotoLibrary(FolderLibraryOptions options);
    ~FolderPhotoLibrary() override;

    AccessStatus requestAccess() const override;
    std::string accessLocation() const override { return m_options.folder; }
    std::vector<PhotoAsset> fetchNewestImages(std::size_t limit) const override;
    std::optional<std::string> renderJpeg(const PhotoAsset& asset, int edge, int quality) const override;
    AlbumChange addToAlbum(const std::vector<std::string>& localIds, const std::string& title) override;
    AlbumChange removeFromAlbum(const std::vector<std::string>& localIds, const std::string& title) override;

private:
    FolderLibraryOptions m_options;
    // Bounds the pixels one render decodes at once, so that a huge image is refused, not a crash.
    std::unique_ptr<thumbnail::PixelBudget> m_budget;
};

}
