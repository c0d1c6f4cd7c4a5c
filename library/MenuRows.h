#pragma once

#include "app/MenuCommands.h"

#include <functional>
#include <memory>

namespace ikw::library {

class LibraryLayer;
using LibraryLookup = std::function<std::shared_ptr<LibraryLayer>()>;

// The library's rows of the main menu's command table: the window and open commands, the file
// history, recent items and favourites, the version restore, closing and moving tabs, and the
// validation rows that rest on the key window and its document (also for commands whose owners
// register them later). Every row does nothing once the library has gone.
void registerMenuCommands(MenuCommands& commands, LibraryLookup library);

}
