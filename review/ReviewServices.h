#pragma once

#include "platform/core/Json.h"
#include "platform/ui/Toolkit.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw {

class ReviewWC;

// A point in a window's page, from its top left corner, and the width of the view that took the
// drop (0 when no view reported one).
struct DropPoint {
    double x = 0;
    double y = 0;
    double viewWidth = 0;
};

// What review windows need from the features above them. The composition root fills the table as
// features exist; an empty entry is skipped (or answers its stated default), so a window works
// with none of them.
struct ReviewFeatures {
    // Page-ready injection, in this order around the window's own set-state push.
    std::function<void(ReviewWC&)> pushEditState;
    std::function<void(ReviewWC&)> pushWordButton;
    std::function<void(ReviewWC&)> pushSignatureVault;
    std::function<void(ReviewWC&)> injectFDABanner;
    std::function<std::string()> pinnedJSON;            // default "[]"
    std::function<int()> claimedDefaultAppTypeCount;    // default 0

    // Closing. `mayCloseEditor` answers whether the close may go on now; with unsaved editor text
    // it asks the user and calls `askAgain` once the text is settled (saved or discarded).
    // `windowClosing` releases what features hold (speech, editor monitors).
    std::function<bool(ReviewWC&, std::function<void()> askAgain)> mayCloseEditor;
    std::function<void(ReviewWC&)> recordClosedTab;
    std::function<void(ReviewWC&)> windowClosing;

    // The editor over a reader: open it, and save it (the test drive of IKW_TEST_AUTOEDIT).
    std::function<void(ReviewWC&)> enterEditorMode;
    std::function<void(ReviewWC&)> saveEditorDocNow;

    // Readers and reviews.
    std::function<void(ReviewWC&)> reloadReaderInPlace;
    std::function<void(const std::string& path)> snapshotVersionFile;
    std::function<void(ReviewWC&)> scheduleGroupSync;

    // Drops.
    std::function<void(const std::vector<std::string>& paths)> recordRecent;
    std::function<void(const std::vector<std::string>& twoPaths)> routeTwoFileOpen;
    std::function<void(ReviewWC&, const std::vector<std::string>& pdfs, std::optional<int> at, const std::string& into)> insertDroppedPDFs;
    std::function<void(ReviewWC&, const std::vector<std::string>& paths, DropPoint point)> compareIntakeDrop;
};

// Everything a review window is built with: the toolkit, the shared web context of review pages,
// the engine runs, the application's answers and the feature table. One value per process
// (tests make their own); it outlives every window.
struct ReviewServices {
    ui::Toolkit* toolkit = nullptr;
    std::shared_ptr<ui::WebContext> webContext;

    // The engine: start a review run, make a fresh loading page, cancel the run of a loading file.
    std::function<void(std::vector<std::string> arguments)> shellEngine;
    std::function<std::string()> newLoadingFile;
    std::function<void(const std::string& loadingFile)> cancelRun;

    // The application.
    std::function<std::string()> resolvedScheme;             // "dark" or "light"
    std::function<void(ReviewWC& host)> showWelcomeTab;      // the tab bar's "+"
    std::function<void(ReviewWC&)> closed;                   // drop the window from the list
    std::function<void()> quit;                              // Ctrl+Q: the application's termination
    // A review window was made (the main menu shows in it).
    std::function<void(const std::shared_ptr<ui::Window>&)> windowMade;
    // A local file a window refused to show as its page (outside the trusted roots): the desktop
    // opens it instead (a web page in the browser).
    std::function<void(const std::string& path)> openOutside;

    // The page bridge (URL actions and script messages); empty: navigations are allowed and
    // messages dropped. Only trusted pages reach either, and no frame of a review window shows
    // a document that is not ours (see TrustedRoots).
    std::function<ui::NavigationPolicy(ReviewWC&, const ui::NavigationAction&)> navigationPolicy;
    std::function<void(ReviewWC&, const Json& body)> scriptMessage;
    // The page boot script, asked for when a window builds its view (so it carries the state of
    // that moment) and run at document start in trusted pages only; empty text adds none.
    std::function<std::string()> bootScript;
    // File-URL prefixes of the folders whose pages are trusted.
    std::vector<std::string> trustedRoots;

    ReviewFeatures features;
};

}
