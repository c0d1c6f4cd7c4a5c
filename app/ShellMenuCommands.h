#pragma once

#include "app/MenuCommands.h"

#include <functional>
#include <memory>
#include <vector>

namespace ikw {

namespace ui {
class Window;
}

// The windows the shell's commands act on (the review windows that show the main menu).
using MenuWindows = std::function<std::vector<std::shared_ptr<ui::Window>>()>;

// The shell's own menu commands: about, help, quit, hiding, the editing commands that go to the
// focused page, and the Window menu's window commands.
void registerShellMenuCommands(MenuCommands& commands, MenuWindows windows);

}
