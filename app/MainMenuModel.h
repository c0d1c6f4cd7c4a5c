#pragma once

#include "app/Brand.h"
#include "app/RecentItems.h"
#include "app/Shortcuts.h"
#include "platform/core/Json.h"
#include "platform/ui/Menu.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ikw {

// Everything the main menu shows, read afresh for every rebuild.
struct MainMenuInputs {
    Json settings = Json::object();
    Brand brand;
    std::vector<RecentItem> recentItems;
    std::vector<std::string> pinnedFolders;
    // Whether a file or folder exists at a path now (a recent item that does not says so).
    std::function<bool(const std::string& path)> exists;
    // The "Night Mode" submenu; none leaves the entry without a submenu.
    std::optional<ui::Menu> nightMenu;
    // The entry whose submenu is "Software Update"; none leaves it out.
    std::optional<ui::MenuItem> updateSubmenuItem;
    // The update status line of the App menu.
    std::string updateStatusTitle = "Updates: on";
};

inline constexpr std::size_t kOpenRecentLimit = 12;
inline constexpr const char* kNotFoundSuffix = "  (not found at this path)";

// Item builders: a plain entry, an entry opening a submenu, and a customizable action's entry
// (its key from the user's shortcut).
ui::MenuItem mi(const std::string& title, const std::string& command, const KeyEquivalent& key = {}, Json representedObject = nullptr);
ui::MenuItem sub(const std::string& title, ui::Menu menu);
ui::MenuItem mic(const std::string& id, const Json& settings);

// The whole main menu: App (titled with the brand name), File, Edit, View, Go, Tools, Window and
// Help.
ui::MenuBar buildMainMenu(const MainMenuInputs& inputs);

// The "Open Recent" and "Favorites" submenus. The status item's "Open Recent" is shorter and
// has no "Clear Menu".
enum class ClearRecentEntry { Shown, Left };
ui::Menu openRecentMenu(const std::vector<RecentItem>& items, const std::function<bool(const std::string&)>& exists,
    std::size_t limit = kOpenRecentLimit, ClearRecentEntry clear = ClearRecentEntry::Shown);
ui::Menu favoritesMenu(const std::vector<std::string>& pinned);

}
