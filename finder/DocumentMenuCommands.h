#pragma once

#include "app/MenuCommands.h"
#include "finder/DocumentFileServices.h"
#include "platform/core/Json.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ikw::finder {

struct DocumentMenuServices {
    DocumentFileServices files;
    // The review the user works in, and its document when that is an existing file.
    std::function<std::shared_ptr<ReviewWC>()> keyReview;
    std::function<std::optional<std::string>()> currentDocPath;
    std::function<void()> rebuildMenu;
};

// The main menu's commands on the current document ("revealCurrentDoc:", "copyCurrentDocPath:",
// "renameCurrentDoc:", "duplicateCurrentDoc:"; each does nothing without one), the reviews folder
// ("revealArchive:") and the archive-folder switch ("toggleArchive:", checked while on).
void registerMenuCommands(MenuCommands& commands, DocumentMenuServices services);

// The archive-folder switch's next value: off when it is on, and also when it holds no Boolean.
bool toggledArchiveSetting(const Json& settings);

}
