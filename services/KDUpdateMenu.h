#pragma once

#include "platform/ui/Menu.h"

#include <string>

namespace ikw {
class MenuCommands;
class PanelActions;
}

// Where the user reaches the updater: the "Software Update" submenu with its switches, "Check for
// Updates…", and the settings panel's check.
namespace ikw::services::KDUpdate {

inline constexpr const char* kSoftwareUpdateTitle = "Software Update";

// The App menu's "Software Update" entry: the master switch titled with the product's name, a
// separator, then the check, download and install switches. Its check marks are set again from
// the switches every time it opens (see refreshSoftwareUpdateMenu).
ui::MenuItem updateSubmenuItem(const std::string& productName);
// Sets the check marks of an opening "Software Update" submenu from the switches.
void refreshSoftwareUpdateMenu(ui::Menu& menu);

// The switches' commands (updToggleMaster: and the three others), each turning its switch to the
// opposite, and "checkForUpdatesMenu:", which asks for an interactive check.
void registerUpdateMenuCommands(MenuCommands& commands);
// The settings panel's "checkupdates": an interactive check.
void registerUpdatePanelAction(PanelActions& actions);

}
