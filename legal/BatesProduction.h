#pragma once

#include "docops/ReviewPageOps.h"
#include "legal/BatesConfig.h"
#include "library/LibraryActions.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {
class MenuCommands;
class ReviewWC;
class TaskQueue;
class UrlActions;
struct UrlAction;
namespace ui {
class WebView;
}
}

namespace ikw::legal {

inline constexpr std::string_view chooseBatesFolderMessage = "Choose a folder of documents to Bates-number (PDFs and scanned images)";
inline constexpr std::string_view noBatesInputsMessage = "No PDFs or images to stamp in this folder.";
inline constexpr std::string_view batesCancelledMessage = "Nothing was stamped.";
inline constexpr std::string_view batesRunBusyMessage = "A Bates run is already under way in this folder.";

// The engine's production page: the per-user engine's copy when there is one, else the bundle's.
std::string batesHTMLPath();
// The page's address for a folder: items `folder`, then `theme`.
std::optional<std::string> batesURL(const std::string& folder, const std::string& theme);

// What the production window takes from the running application.
struct BatesProductionServices {
    library::LibraryLookup library;
    // The application's concurrent workers: folder summaries and runs.
    TaskQueue* workers = nullptr;
    // The confirmation gate's dialogs and settings panel.
    docops::PageOpServices pageOps;
    // "dark" or "light", for the page's `theme` item.
    std::function<std::string()> resolvedScheme;
};

// Bates production windows: the folder panel, the window showing bates.html for a folder, the
// folder summary the page asks for, and runs of the stamper with their progress and answer. At
// most one run writes into a folder's output at a time: the busy folders are kept here, on the
// main thread. One per application; main thread only.
class BatesProduction : public std::enable_shared_from_this<BatesProduction> {
public:
    explicit BatesProduction(BatesProductionServices services);
    BatesProduction(const BatesProduction&) = delete;
    BatesProduction& operator=(const BatesProduction&) = delete;

    // The menu command and the "bates" action: a folder panel that blocks nothing.
    void openBates();
    // Makes a review window (by the generated-page tab rule) the production window of `folder`.
    void openBatesFolder(const std::string& folder);
    // "batesready": the folder's summary to ikwBatesInit, counted on the workers.
    void batesInit(const UrlAction& action);
    // "batesapply": reads window.__ikwBatesConfig, checks it, confirms and runs; progress to
    // ikwBatesProgress, the outcome to ikwBatesDone.
    void batesApply(const UrlAction& action);

private:
    struct Target;
    void applySettings(const Target& target, const std::string& folder, const Json& settings);
    void startRun(const Target& target, std::vector<std::string> files, const std::string& outputDir, const BatesConfig& config);
    void runFinished(const std::string& busyKey);

    BatesProductionServices m_services;
    std::set<std::string> m_busyOutputDirs;
};

// The page actions "bates", "batesready" and "batesapply"; without the production (before it
// exists or once it is gone) they do nothing.
void registerActions(UrlActions& actions, std::weak_ptr<BatesProduction> production);
// The menu command "openBates:".
void registerMenuCommands(MenuCommands& commands, std::weak_ptr<BatesProduction> production);

}
