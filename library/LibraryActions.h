#pragma once

#include <functional>
#include <memory>

namespace ikw {
class PanelActions;
class UrlActions;
}

namespace ikw::library {

class LibraryLayer;

// The library as it is when an action runs: nothing before it exists or once it is gone.
using LibraryLookup = std::function<std::shared_ptr<LibraryLayer>()>;

// The page actions that open documents and pickers. The layer is looked up when an action runs,
// so the rows may be registered before it exists; without it they do nothing.
void registerActions(UrlActions& actions, LibraryLookup library);
// The panels' rows that open things: "open" (the review picker).
void registerPanelActions(PanelActions& actions, LibraryLookup library);

}
