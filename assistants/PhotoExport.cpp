#include "assistants/PhotoExport.h"

#include "assistants/PhotoMap.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"

#include <cstdio>

namespace ikw::assistants {

std::string exportedPhotoName(std::size_t position)
{
    char name[32];
    std::snprintf(name, sizeof name, "p%04zu.jpg", position);
    return name;
}

void exportPhotos(const photos::PhotoLibrary& library, const std::vector<photos::PhotoAsset>& assets, const std::string& folder,
    const std::function<void(std::size_t done)>& progress)
{
    FileSystem& files = realFileSystem();
    Json map = Json::object();
    std::size_t done = 0;
    for (std::size_t position = 0; position < assets.size(); ++position) {
        const auto& asset = assets[position];
        if (const auto jpeg = library.renderJpeg(asset, kExportedPhotoEdge, kExportedPhotoQuality)) {
            const std::string name = exportedPhotoName(position);
            // Only a file that is there goes into the map: the engine reads both.
            if (files.writeFile(joinPath(folder, name), *jpeg))
                map[name] = asset.localIdentifier;
        }
        if (++done % 10 == 0 && progress)
            progress(done);
    }
    (void)files.replaceFile(joinPath(folder, kPhotoMapFile), toPlainJson(map));
}

}
