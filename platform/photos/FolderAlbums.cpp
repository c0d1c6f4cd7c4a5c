#include "platform/photos/FolderAlbums.h"

#include "platform/core/Paths.h"
#include "platform/core/UniqueName.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <utility>

namespace ikw::photos {

namespace fs = std::filesystem;

namespace {

// A file as the file system knows it, whatever path or link leads there.
using FileKey = std::pair<dev_t, ino_t>;

std::optional<FileKey> fileKey(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return FileKey { status.st_dev, status.st_ino };
}

bool isRealFolder(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// A dangling link takes its name too, which exists() would not see.
bool nameTaken(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

bool makeAlbumFolder(const std::string& album)
{
    if (::mkdir(album.c_str(), 0777) == 0)
        return true;
    // An album made meanwhile is as good; a file or a link of that name is not an album.
    return errno == EEXIST && isRealFolder(album);
}

// The links in the album and the files they lead to.
std::vector<std::pair<std::string, FileKey>> albumLinks(const std::string& album)
{
    std::vector<std::pair<std::string, FileKey>> links;
    std::error_code error;
    for (fs::directory_iterator entry(album, error), end; !error && entry != end; entry.increment(error)) {
        std::error_code typeError;
        if (!entry->is_symlink(typeError))
            continue;
        if (const auto key = fileKey(entry->path().string()))
            links.emplace_back(entry->path().string(), *key);
    }
    return links;
}

}

bool isAlbumTitle(const std::string& title)
{
    return !title.empty() && title != "." && title != ".." && title.find('/') == std::string::npos && title.find('\0') == std::string::npos;
}

AlbumChange linkIntoAlbum(const std::string& libraryFolder, const std::vector<PhotoAsset>& photos, const std::string& title)
{
    const std::string album = joinPath(libraryFolder, title);
    if (!isAlbumTitle(title) || !makeAlbumFolder(album))
        return { .count = 0, .error = albumCreationError(title) };
    std::set<FileKey> linked;
    for (const auto& link : albumLinks(album))
        linked.insert(link.second);
    std::set<FileKey> counted;
    for (const auto& photo : photos) {
        const auto key = fileKey(photo.path);
        if (!key || !counted.insert(*key).second)
            continue;
        if (linked.contains(*key))
            continue;
        const auto linkPath = uniquePathInFolder(album, lastPathComponent(photo.path), nameTaken);
        if (!linkPath || ::symlink(photo.path.c_str(), linkPath->c_str()) != 0)
            return { .count = 0, .error = albumFilingError(title) };
        linked.insert(*key);
    }
    return { .count = static_cast<int>(counted.size()) };
}

AlbumChange unlinkFromAlbum(const std::string& libraryFolder, const std::vector<PhotoAsset>& photos, const std::string& title)
{
    const std::string album = joinPath(libraryFolder, title);
    if (!isAlbumTitle(title) || !isRealFolder(album))
        return {};
    std::set<FileKey> found;
    for (const auto& photo : photos) {
        if (const auto key = fileKey(photo.path))
            found.insert(*key);
    }
    for (const auto& [link, key] : albumLinks(album)) {
        if (found.contains(key) && ::unlink(link.c_str()) != 0)
            return { .count = 0, .error = albumRemovalError(title) };
    }
    return { .count = static_cast<int>(found.size()) };
}

}
