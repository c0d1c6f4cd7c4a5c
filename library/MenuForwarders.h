#pragma once

#include "app/MenuCommands.h"
#include "library/MenuRows.h"

#include <functional>
#include <string>

namespace ikw::ui {
class Dialogs;
}

namespace ikw::library {

// What the forwarders reach beyond the review windows; an empty entry is skipped.
struct ForwarderHooks {
    // The Tools menu's alert when no folder is open.
    ui::Dialogs* dialogs = nullptr;
    // The organizer's folder panel ("Smart Rename…" and "Organize into Folders…" with no folder page).
    std::function<void()> openOrganize {};
    // The settings handler: stores a panel value and tells the windows ("reader_statusbar").
    std::function<void(const std::string& key, const std::string& value)> applyConfig {};
};

// The menu commands that do their work inside the page of a review window by evaluating a guarded
// line of script there: zoom, sorting, slideshow, rotation, the edit toggle, undo and redo, back,
// the page commands, the table of contents and thumbnails, the status bar, full screen and the
// Tools. A missing window or a page without the function leaves everything as it was.
void registerForwarderCommands(MenuCommands& commands, LibraryLookup library, ForwarderHooks hooks);

// The folder page's tile width moved by `step` pixels, kept between 120 and 380 (180 when the page
// has none).
std::string sizeStepScript(int step);

}
