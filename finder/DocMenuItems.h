#pragma once

#include "finder/OpenWithMenus.h"
#include "platform/ui/Menu.h"

#include <string>
#include <vector>

namespace ikw::finder {

// What the document menu of a tab depends on.
struct DocMenuState {
    bool hasWindow = false;     // the tab's review window is there
    bool editorOpen = false;    // its text editor is open
    bool probeAnswered = false; // its edit probe has answered (either way)
    bool isPdfEdit = false;     // the document is edited on its page rather than in the editor
    bool isReader = false;
    // The word processor's name when one is installed and takes this kind of document; "" for none.
    std::string wordProcessor;
    std::string extension;      // lower case
    bool fileExists = false;
};

// The command words of the document menu's entries; an "Open With" entry's word is "openapp:"
// followed by the application's entry file. Each entry's represented object is the document path.
inline constexpr const char* kOpenAppPrefix = "openapp:";

// The document's entries, in order: the file name (with `header`), the editing commands and the
// word processor, sharing, "Open With" (the applications of `openWith`), the file manager's
// commands, rename, duplicate, compress, the two copies, and for readers Shrink PDF and Print.
std::vector<ui::MenuItem> docMenuItems(const DocMenuState& state, const std::string& path, const std::vector<OpenWithChoice>& openWith,
    bool header);

// The tab's own entries, after the document's: moving the tab to a window of its own (only when it
// shares its window) and closing it.
std::vector<ui::MenuItem> tabItems(bool sharesWindow);

}
