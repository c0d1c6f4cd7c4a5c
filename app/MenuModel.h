#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ikw {

// One entry of a menu the shell describes and the main menu shows: a command item, a disabled
// line of text, or a separator.
struct MenuItemModel {
    std::string title;
    std::string command; // the command the item runs; "" for a line of text
    bool checked = false;
    bool enabled = true;
    bool separator = false;

    static MenuItemModel item(std::string title, std::string command, bool checked = false)
    {
        return { std::move(title), std::move(command), checked, true, false };
    }
    static MenuItemModel line(std::string title) { return { std::move(title), "", false, false, false }; }
    static MenuItemModel separatorItem() { return { "", "", false, false, true }; }

    bool operator==(const MenuItemModel&) const = default;
};

struct MenuModel {
    std::string title;
    std::vector<MenuItemModel> items;

    // The titles in order, separators as "-" (for logs and tests).
    std::vector<std::string> titles() const
    {
        std::vector<std::string> out;
        for (const auto& entry : items)
            out.push_back(entry.separator ? "-" : entry.title);
        return out;
    }
};

}
