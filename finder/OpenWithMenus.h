#pragma once

#include "finder/IkwOpenWith.h"
#include "platform/ui/Menu.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw {
class MenuCommands;
class UrlActions;
namespace ui {
class Window;
}
}

namespace ikw::finder {

// One application of an "Open With" list: its desktop entry's file, its label, and whether it is
// the document's default application.
struct OpenWithChoice {
    std::string entryFile;
    std::string label;
    bool isDefault = false;
};

// The applications able to open the document, ranked and labelled, the default asked of the desktop.
std::vector<OpenWithChoice> openWithChoices(IkwOpenWith& openWith, const std::string& document);

// The pop-up menu: "Open in <label>" for each application ("  (default)" after the default's), a
// separator and "Reveal in Files". Its entries run "openInApp:" and "revealPath:".
ui::Menu openAppsMenu(const std::string& document, const std::vector<OpenWithChoice>& choices);

// The entries of the main menu's "Open With" submenu for the current document: each label
// (" (default)" after the default's) running "openInApp:"; "No App Can Open This" when no
// application can, "No Document" without a document.
std::vector<ui::MenuItem> openWithMenuItems(const std::optional<std::string>& document, const std::vector<OpenWithChoice>& choices);

// "openInApp:" opens [document, entry file] with that application; "revealPath:" shows a path in
// the file manager. A payload of any other shape does nothing.
void registerOpenWithCommands(MenuCommands& commands, ui::Workspace& workspace);

struct OpenWithMenuServices {
    std::shared_ptr<IkwOpenWith> openWith;
    // Answers the pop-up's entries in a window (the main menu's command table).
    std::function<ui::MenuResponder(ui::Window&)> menuResponder;
};

// Pops the menu of the document up in the window, at the pointer (in the middle of the window when
// the pointer is elsewhere).
void popUpOpenAppsMenu(ui::Window& window, const std::string& document, const OpenWithMenuServices& services);

// "openmenu" (path): the pop-up for that document in the window whose page asked; nothing without
// an absolute path.
void registerOpenMenuAction(UrlActions& actions, OpenWithMenuServices services);

// The main menu's filler of "Open With", for whatever document is current when it opens.
std::function<void(ui::Menu&)> openWithMenuFiller(std::shared_ptr<IkwOpenWith> openWith,
    std::function<std::optional<std::string>()> currentDocPath);

}
