#pragma once

#include "platform/photos/PhotoLibrary.h"

#include <functional>
#include <string>
#include <vector>

namespace ikw::assistants {

// How large exported photos are and how they are stored.
inline constexpr int kExportedPhotoEdge = 1600;
inline constexpr int kExportedPhotoQuality = 90;
// The most photos one sorting run takes, newest first.
inline constexpr std::size_t kPhotoExportLimit = 400;

// The export's file name for the photo at `position` of the fetch: "p0000.jpg", "p0001.jpg", ...
std::string exportedPhotoName(std::size_t position);

// Writes each photo as "p%04d.jpg" by its position (a photo that cannot be rendered leaves a gap),
// then the map of written names to identifiers as compact JSON (photokit_map.json). Calls
// `progress` with the number of photos handled after every tenth. Blocks: runs off the main thread.
void exportPhotos(const photos::PhotoLibrary& library, const std::vector<photos::PhotoAsset>& assets, const std::string& folder,
    const std::function<void(std::size_t done)>& progress);

}
