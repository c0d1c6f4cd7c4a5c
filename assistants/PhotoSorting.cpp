#include "assistants/PhotoSorting.h"

#include "app/Globals.h"
#include "assistants/PhotoExport.h"
#include "assistants/PhotoProgress.h"
#include "library/LibraryLayer.h"
#include "platform/core/PrivateTemporaryFolder.h"
#include "platform/core/TaskQueue.h"
#include "platform/ui/Desktop.h"
#include "platform/ui/Dialogs.h"
#include "review/EngineProcess.h"

#include <ctime>

namespace ikw::assistants {

std::vector<std::string> photoSortEngineArguments(const std::string& loadingFile, const std::string& mode, const std::string& folder)
{
    std::vector<std::string> arguments { "--choose", "--loading-file", loadingFile };
    if (mode == "collect")
        arguments.insert(arguments.end(), { "--mode", "collect" });
    arguments.push_back(folder);
    return arguments;
}

PhotoSorting::PhotoSorting(PhotoSortServices services) : m_services(std::move(services)) {}

void PhotoSorting::photosLibrary(const std::string& mode)
{
    if (m_services.photos->requestAccess() == photos::AccessStatus::Authorized)
        exportAndSortPhotos(kPhotoExportLimit, mode);
    else
        showAccessAlert();
}

void PhotoSorting::showAccessAlert()
{
    ui::AlertContent content;
    content.message = "Culmora needs access to your Photos";
    content.informativeText = "Culmora finds duplicates and blurry shots entirely on your computer \u2014 nothing is uploaded. "
                              "Turn on Photos access in Settings \u25b8 Privacy & Security \u25b8 Photos, then try again.";
    content.buttons = { "Open Settings", "Cancel" };
    content.cancelButton = 1;
    content.keepAbove = true;
    m_services.dialogs->alert(nullptr, content, [weak = weak_from_this()](ui::AlertAnswer answer) {
        const auto self = weak.lock();
        // The library's folder is what this user has to make readable.
        if (self && answer.button == 0 && self->m_services.workspace)
            self->m_services.workspace->revealFile(self->m_services.photos->accessLocation());
    });
}

void PhotoSorting::showAlert(const std::string& message, const std::string& informativeText)
{
    ui::AlertContent content;
    content.message = message;
    content.informativeText = informativeText;
    content.keepAbove = true;
    m_services.dialogs->alert(nullptr, content, [](ui::AlertAnswer) {});
}

void PhotoSorting::exportAndSortPhotos(std::size_t limit, const std::string& mode)
{
    // The walk reads every image's date: never on the main thread.
    runOnOwnThread([weak = weak_from_this(), photos = m_services.photos, limit, mode] {
        auto assets = photos->fetchNewestImages(limit);
        mainQueue().post([weak, assets = std::move(assets), mode]() mutable {
            if (const auto self = weak.lock())
                self->startExport(std::move(assets), mode);
        });
    });
}

void PhotoSorting::startExport(std::vector<photos::PhotoAsset> assets, const std::string& mode)
{
    if (assets.empty()) {
        showAlert("No photos found", "Culmora could not find any photos in your library to sort.");
        return;
    }
    const auto root = m_services.exportRoot ? m_services.exportRoot() : privateTemporaryFolder(globals().paths, kProductFolderName);
    // The random suffix keeps two starts within one second apart.
    const auto folder = root ? createTemporaryFolder(*root, "culmora-photos-" + std::to_string(std::time(nullptr)) + "-") : std::nullopt;
    if (!folder) {
        showAlert("Could not prepare your photos", "There is no private temporary folder to export them into.");
        return;
    }
    const std::string progressPage = m_services.newLoadingFile();
    const auto total = static_cast<long long>(assets.size());
    writePhotoProgress(progressPage, 0, total);
    if (const auto layer = m_services.library()) {
        const auto window = layer->windows().open(progressPage);
        window->loadingFile = progressPage;
        window->hasContent = true;
        window->sourcePaths = { *folder };
    }
    runOnOwnThread([weak = weak_from_this(), photos = m_services.photos, assets = std::move(assets), folder = *folder, progressPage, mode, total] {
        exportPhotos(*photos, assets, folder, [progressPage, total](std::size_t done) {
            mainQueue().post([progressPage, total, done] { writePhotoProgress(progressPage, static_cast<long long>(done), total); });
        });
        // After the map is written, so the engine never sees the folder without it.
        mainQueue().post([weak, arguments = photoSortEngineArguments(progressPage, mode, folder)]() mutable {
            if (const auto self = weak.lock())
                self->m_services.shellEngine(std::move(arguments));
        });
    });
}

void PhotoSorting::changeAlbums(std::function<photos::AlbumChange(photos::PhotoLibrary&)> change,
    std::function<void(const photos::AlbumChange&)> done)
{
    runOnOwnThread([photos = m_services.photos, change = std::move(change), done = std::move(done)] {
        mainQueue().post([done, outcome = change(*photos)] { done(outcome); });
    });
}

}
