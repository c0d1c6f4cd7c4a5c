#pragma once

#include "library/LibraryActions.h"
#include "platform/photos/PhotoLibrary.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw {
struct UrlAction;
namespace ui {
class Dialogs;
class Workspace;
}
}

namespace ikw::assistants {

struct PhotoSortServices {
    // The review windows: the export's window joins them, a mode switch looks its window up there.
    library::LibraryLookup library;
    std::shared_ptr<photos::PhotoLibrary> photos;
    ui::Dialogs* dialogs = nullptr;
    ui::Workspace* workspace = nullptr;
    // The engine's review runs: start one (not waited for), and make a fresh loading page.
    std::function<void(std::vector<std::string> arguments)> shellEngine;
    std::function<std::string()> newLoadingFile;
    // Where export folders are made; empty: this user's private temporary folder.
    std::function<std::optional<std::string>()> exportRoot {};
};

// Photo sorting over the user's photo library. Starting it exports the newest photos as JPEGs with
// a map of file name to library identifier into a fresh private folder, while a new review window
// shows the progress, then hands the folder to the engine's sorter. The sort page then sets photos
// aside, files them into albums or out of them, runs the user's bake command and switches between
// sorting and collecting. Folders that are no library export go to the engine's photo script
// instead. Each answer goes to the page that asked. One per application; main thread only.
class PhotoSorting : public std::enable_shared_from_this<PhotoSorting> {
public:
    explicit PhotoSorting(PhotoSortServices services);

    // "culmoraphotos" and "culmoracollectlib" (and the commands "sortPhotosLibrary:" and
    // "collectPhotosLibrary:"): photosLibrary with "sort" or "collect".
    void sortPhotosLibrary() { photosLibrary("sort"); }
    void collectPhotosLibrary() { photosLibrary("collect"); }
    // Asks for access, then exports the newest photos; a refusal shows the access alert.
    void photosLibrary(const std::string& mode);
    // Fetches up to `limit` photos in the background, then opens the progress window and exports.
    void exportAndSortPhotos(std::size_t limit, const std::string& mode);

    // "culmoraapply" (`dir`, `rejb64`): the rejected photos into the set-aside album; answers
    // culmoraApplied.
    void handleCulmoraApply(const UrlAction& action);
    // "culmoracollect" (`dir`, `album`, `dest`, `filesb64`, `op`): photos into the album or, with
    // op=remove, out of it; answers culmoraCollected.
    void handleCulmoraCollect(const UrlAction& action);
    // "culmorabake": the user's bake command; answers culmoraBaked.
    void handleCulmoraBake(const UrlAction& action);
    // "culmoramode" (`to`: "sort", "cull" or "collect", which is also the default): the window's
    // review again in that mode over the same sources.
    void handleCulmoraMode(const UrlAction& action);

private:
    void startExport(std::vector<photos::PhotoAsset> assets, const std::string& mode);
    void showAccessAlert();
    void showAlert(const std::string& message, const std::string& informativeText);
    // Runs an album change off the main thread and hands its outcome to `done` on the main thread.
    void changeAlbums(std::function<photos::AlbumChange(photos::PhotoLibrary&)> change, std::function<void(const photos::AlbumChange&)> done);

    PhotoSortServices m_services;
};

// The launcher's arguments for an export: "--choose", "--loading-file" and the page, "--mode
// collect" only for collecting, then the folder.
std::vector<std::string> photoSortEngineArguments(const std::string& loadingFile, const std::string& mode, const std::string& folder);

}
