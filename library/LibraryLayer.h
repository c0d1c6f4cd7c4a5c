#pragma once

#include "app/ReviewWindowRegistry.h"
#include "library/ClosedTabs.h"
#include "library/DocumentSets.h"
#include "library/HistoryCovers.h"
#include "library/HistoryPage.h"
#include "library/HistoryStore.h"
#include "library/OpenRouter.h"
#include "library/RecentLists.h"
#include "library/VersionRestore.h"
#include "library/WindowCommands.h"
#include "library/WindowOpeners.h"
#include "platform/ui/Toolkit.h"

#include <memory>

namespace ikw::library {

// What the library takes from subsystems beside it; an empty entry is skipped.
struct LibraryHooks {
    std::function<void(const std::string& feature)> recordUsage {};
    // The main menu shows the recent items and the pins.
    std::function<void()> rebuildMenu {};
    // Where throw-away files are, which the recent items leave out (tests run in a temporary home).
    std::function<std::vector<std::string>()> temporaryRoots {};
    // The file manager extension's hand-off ("qeliz://finder?...").
    std::function<void(const std::string& url)> handleFinderExtensionURL {};
    // The menu of applications that can open a file, at the pointer (a spreadsheet nothing else opens).
    std::function<void(const std::string& path)> openAppsMenu {};
    // The PDF a reader of a PDF document is given (see OpenerHooks).
    std::function<std::string(ReviewWC& window, const std::string& document)> readerPdf {};
    // Answers a pop-up menu's entries in a window (the main menu's command table).
    std::function<ui::MenuResponder(ui::Window& window)> menuResponder {};
    // What draws the File History page's covers; without one, the machine's own renderer.
    std::shared_ptr<thumbnail::ThumbnailRenderer> coverRenderer {};
};

// The version pop-up: one entry per version, each restoring it through "restoreVersionPick:".
ui::Menu versionMenu(const std::vector<VersionChoice>& choices);

// The library's part of the running application: the openers, the open router, the window
// commands and the document sets over the review windows. Main thread only.
class LibraryLayer {
public:
    LibraryLayer(ReviewServices& services, ReviewWindows& windows, LibraryHooks hooks = {});
    LibraryLayer(const LibraryLayer&) = delete;
    LibraryLayer& operator=(const LibraryLayer&) = delete;

    OpenRouter& router() { return m_router; }
    WindowOpeners& openers() { return m_openers; }
    WindowCommands& commands() { return m_commands; }
    DocumentSets& documentSets() { return m_documentSets; }
    VersionRestore& versions() { return *m_versions; }
    HistoryStore& history() { return *m_history; }
    HistoryPage& historyPage() { return m_historyPage; }
    RecentLists& recent() { return m_recent; }
    ClosedTabs& closedTabs() { return m_closedTabs; }
    HistoryCovers& covers() { return *m_covers; }
    void recordUsage(const std::string& feature) const
    {
        if (m_recordUsage)
            m_recordUsage(feature);
    }
    ReviewWindows& windows() { return m_windows; }

private:
    // Brings the key review forward after an open.
    void activate();

    ReviewWindows& m_windows;
    std::function<void(const std::string& feature)> m_recordUsage;
    // Before the openers, which record what they open in it.
    std::unique_ptr<HistoryStore> m_history = std::make_unique<HistoryStore>(HistoryConfig { .home = historyHome(), .clock = {} });
    WindowOpeners m_openers;
    OpenRouter m_router;
    WindowCommands m_commands;
    DocumentSets m_documentSets;
    std::shared_ptr<VersionRestore> m_versions;
    HistoryPage m_historyPage;
    RecentLists m_recent;
    ClosedTabs m_closedTabs;
    std::unique_ptr<HistoryCovers> m_covers;
};

// The review window layer with the library over it. `library` is pointed at the library's part,
// which lives as long as the returned registry. `configureReview` sees the review services first.
std::shared_ptr<ReviewWindowRegistry> makeLibraryWindowLayer(ui::Toolkit& toolkit, std::weak_ptr<LibraryLayer>& library, LibraryHooks hooks = {},
    const std::function<void(ReviewServices&)>& configureReview = {});

}
