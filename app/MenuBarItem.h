#pragma once

#include "app/Brand.h"
#include "app/RecentItems.h"
#include "platform/core/Json.h"
#include "platform/ui/StatusItem.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ikw {

// What the status item works with; without a bar there is never an item.
struct MenuBarItemParts {
    ui::StatusBar* bar = nullptr;
    Brand brand;
    std::string id;         // the item's name to the desktop
    std::string iconFolder; // where its panel-sized icons are written
    // The application icon's file now ("" when there is none).
    std::function<std::string()> iconPath {};
    // Answers the menu's entries (the main menu's commands, with no window).
    std::function<ui::MenuResponder()> responder {};
};

// The optional status item: shown exactly while the "menu_bar_icon" setting is the Bool true,
// with the application icon (or the brand name when there is none) and its own menu, whose
// "Open Recent" follows every rebuild of the main menu. Main thread only.
class MenuBarItem {
public:
    explicit MenuBarItem(MenuBarItemParts parts);

    // Shows the item when the setting asks for it and none shows, removes it when it does not; an
    // item already shown stays as it is.
    void update(const Json& settings);
    bool isShown() const { return m_item != nullptr; }

    // The recent items as the main menu's rebuild read them; the shown menu's "Open Recent"
    // follows.
    void showRecents(std::vector<RecentItem> items, std::function<bool(const std::string&)> exists);
    // A new application icon.
    void setIcon(const std::string& imagePath);

private:
    void installMenu();

    MenuBarItemParts m_parts;
    std::unique_ptr<ui::StatusItem> m_item;
    std::vector<RecentItem> m_recents;
    std::function<bool(const std::string&)> m_exists;
    std::shared_ptr<const ui::Menu> m_menu;
};

}
