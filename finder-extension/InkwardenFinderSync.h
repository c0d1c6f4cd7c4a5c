#pragma once

// What the file-manager extension offers and sends, decided here without the file manager: the
// module that hosts it only maps the file manager's selection and menu items onto these functions.

#include "finder-extension/FinderSelection.h"
#include "finder-extension/HandoffUrl.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::finderext {

enum class HandoffAction { Share, Open };

// "share" or "open", as the hand-off URL names them.
std::string_view actionName(HandoffAction action);
// The menu item's title.
std::string_view actionTitle(HandoffAction action);

namespace InkwardenFinderSync {

// Constants of a toolbar item the file manager has no place for; kept so that every client names
// the extension alike.
inline constexpr std::string_view toolbarItemName = "Inkwarden";
inline constexpr std::string_view toolbarItemToolTip = "Open or share the selection with Inkwarden";
inline constexpr std::size_t maxPaths = kMaxPaths;

// The name's extension, lower-cased, is "pdf". Nothing else is examined (not the content, not
// whether the item is a folder). A leading dot starts no extension (".pdf" is a hidden file).
bool isShareable(std::string_view name);

// The selection's shareable items, in their order.
Selection shareable(const Selection& selection);

// The context menu for a selection: nothing for none; "share" first when any item is shareable;
// "open" always.
std::vector<HandoffAction> menuFor(const Selection& selection);

// The hand-off URL for choosing `action` on `selection`: share keeps the shareable items only;
// `count` is the number of local paths, followed by the first `maxPaths` of them. Items without a
// local path are skipped; nothing when none is left.
std::optional<std::string> handoffFor(HandoffAction action, const Selection& selection);

// Hands `handoffFor(action, selection)` to the application (see HandoffDelivery.h). Returns at
// once; nothing is shown when there is nothing to send or the application cannot be reached.
void launch(HandoffAction action, const Selection& selection);

// The icon name of the application's installed desktop entry, looked up once per process; absent
// when the entry is not installed, so that the menu items carry no icon.
const std::optional<std::string>& appMark();

}

// The icon of the desktop entry `desktopId` as a name or file path; absent when no such entry is
// installed (or its program is gone) or it names no icon.
std::optional<std::string> desktopEntryIcon(std::string_view desktopId);

}
