#pragma once

#include <memory>

namespace ikw {
class MenuCommands;
class UrlActions;
}

namespace ikw::assistants {

class AskDocuments;
class Organizer;
class PhotoSorting;
class ReaderHelpers;

// The assistants the composition root made; a missing one has no rows.
struct Assistants {
    std::shared_ptr<Organizer> organizer {};
    std::shared_ptr<AskDocuments> ask {};
    std::shared_ptr<ReaderHelpers> reader {};
    std::shared_ptr<PhotoSorting> photos {};
};

// The assistants' rows of the review pages' action table: "organize", "organizeready",
// "organizeplan", "organizeapply" and "organizeundo"; "ask" (the picker) and "ai"; the reader's
// "outline", "aitoc", "xexplain" and "verifytext"; photo sorting's "culmoraphotos",
// "culmoracollectlib", "culmoraapply", "culmoracollect", "culmorabake" and "culmoramode".
void registerActions(UrlActions& actions, const Assistants& assistants);
// The main menu's "pickAskDoc:" (Ask a Document or Folder); "sortPhotosLibrary:" and
// "collectPhotosLibrary:", which no menu item sends yet.
void registerMenuCommands(MenuCommands& commands, const Assistants& assistants);

}
