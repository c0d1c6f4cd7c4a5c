#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ikw::photos {

enum class AccessStatus { Authorized, Denied };

// One image of the library.
struct PhotoAsset {
    std::string localIdentifier; // stable within the library; the key of album changes
    std::string path;            // the file that holds it
    std::int64_t creationDate = 0; // seconds since 1970
};

// What an album change did: how many of the given photos it concerned, or why it failed.
struct AlbumChange {
    int count = 0;
    std::optional<std::string> error {};
};

// The user's photo library: access, the newest images, rendering and albums. Every call but
// `requestAccess` and `accessLocation` touches files: call those off the main thread.
class PhotoLibrary {
public:
    virtual ~PhotoLibrary() = default;

    // Whether this user may read the library.
    virtual AccessStatus requestAccess() const = 0;
    // What the user opens to grant access (shown in the file manager).
    virtual std::string accessLocation() const = 0;

    // Images only (never videos), newest first, at most `limit`.
    virtual std::vector<PhotoAsset> fetchNewestImages(std::size_t limit) const = 0;
    // The image fitted into `edge` x `edge` (never enlarged, its orientation applied) as JPEG bytes
    // at `quality` (0-100); nothing when it cannot be decoded or encoded.
    virtual std::optional<std::string> renderJpeg(const PhotoAsset& asset, int edge, int quality) const = 0;

    // Files the photos with these identifiers into the album titled exactly `title`, creating it
    // when missing. The count is the number of identifiers that name photos of the library.
    virtual AlbumChange addToAlbum(const std::vector<std::string>& localIds, const std::string& title) = 0;
    // Takes the photos out of that album; a missing album changes nothing and is no error. The
    // count is the number of identifiers that name photos, whether or not they were in the album.
    virtual AlbumChange removeFromAlbum(const std::vector<std::string>& localIds, const std::string& title) = 0;
};

// The failure texts of album changes.
std::string albumCreationError(const std::string& title);
std::string albumFilingError(const std::string& title);
std::string albumRemovalError(const std::string& title);

}
