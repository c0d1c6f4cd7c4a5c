#include "platform/photos/FolderPhotoLibrary.h"

#include "platform/imaging/thumbnails/PixelBudget.h"
#include "platform/photos/FolderAlbums.h"
#include "platform/photos/JpegRendering.h"
#include "platform/photos/PhotoDates.h"
#include "platform/photos/PhotoFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace ikw::photos {

namespace {

// A 1 GB decode at most (four bytes a pixel); JPEGs shrink while decoding, so only other formats
// of more than 268 megapixels are refused.
constexpr std::uint64_t kRenderPixelBudget = std::uint64_t { 1 } << 28;

std::string absoluteFolder(const std::string& folder)
{
    std::error_code error;
    const auto absolute = std::filesystem::absolute(folder, error);
    return error ? folder : absolute.lexically_normal().string();
}

bool newerFirst(const PhotoAsset& a, const PhotoAsset& b)
{
    if (a.creationDate != b.creationDate)
        return a.creationDate > b.creationDate;
    return a.localIdentifier < b.localIdentifier;
}

}

FolderPhotoLibrary::FolderPhotoLibrary(FolderLibraryOptions options)
    : m_options(std::move(options))
    , m_budget(std::make_unique<thumbnail::PixelBudget>(kRenderPixelBudget))
{
    m_options.folder = absoluteFolder(m_options.folder);
    while (m_options.folder.size() > 1 && m_options.folder.back() == '/')
        m_options.folder.pop_back();
}

FolderPhotoLibrary::~FolderPhotoLibrary() = default;

AccessStatus FolderPhotoLibrary::requestAccess() const
{
    struct stat status {};
    if (::stat(m_options.folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return AccessStatus::Authorized; // nothing there: an empty library
    const bool readable = m_options.canRead ? m_options.canRead(m_options.folder) : ::access(m_options.folder.c_str(), R_OK | X_OK) == 0;
    return readable ? AccessStatus::Authorized : AccessStatus::Denied;
}

std::vector<PhotoAsset> FolderPhotoLibrary::fetchNewestImages(std::size_t limit) const
{
    std::vector<PhotoAsset> images = listImageFiles(m_options.folder);
    for (auto& image : images)
        image.creationDate = photoCreationDate(image.path);
    const std::size_t kept = std::min(limit, images.size());
    std::partial_sort(images.begin(), images.begin() + static_cast<std::ptrdiff_t>(kept), images.end(), newerFirst);
    images.resize(kept);
    return images;
}

std::optional<std::string> FolderPhotoLibrary::renderJpeg(const PhotoAsset& asset, int edge, int quality) const
{
    return renderFittedJpeg(asset.path, edge, quality, *m_budget);
}

namespace {

std::vector<PhotoAsset> photosFor(const std::string& folder, const std::vector<std::string>& localIds)
{
    std::vector<PhotoAsset> photos;
    std::set<std::string> seen;
    for (const auto& id : localIds) {
        if (!seen.insert(id).second)
            continue;
        if (auto photo = imageForIdentifier(folder, id))
            photos.push_back(std::move(*photo));
    }
    return photos;
}

}

AlbumChange FolderPhotoLibrary::addToAlbum(const std::vector<std::string>& localIds, const std::string& title)
{
    return linkIntoAlbum(m_options.folder, photosFor(m_options.folder, localIds), title);
}

AlbumChange FolderPhotoLibrary::removeFromAlbum(const std::vector<std::string>& localIds, const std::string& title)
{
    if (localIds.empty())
        return {};
    return unlinkFromAlbum(m_options.folder, photosFor(m_options.folder, localIds), title);
}

}
