#pragma once

#include "app/MenuCommands.h"
#include "app/MenuModel.h"
#include "platform/ui/Menu.h"

#include <functional>

namespace ikw {

class AppDelegate;

// A menu the shell describes, as the main menu shows it: each item's command gains the menu's ":".
ui::Menu menuFromModel(const MenuModel& model);

// The appearance and night commands of the View menu and the "Night Mode" submenu, the settings
// file's editor: they reach the delegate the lookup answers when they run (nothing without one).
void registerAppearanceMenuCommands(MenuCommands& commands, std::function<AppDelegate*()> delegate);

}
