#pragma once

#include "platform/core/Json.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ikw::ui {

// Modifier keys of a key combination.
enum KeyModifier : unsigned {
    kModControl = 1u << 0,
    kModAlt = 1u << 1,
    kModShift = 1u << 2,
};

// A key combination: `key` is one character ("t", "?", " ") or a named key as the toolkit names
// it ("Return", "Tab", "Up", "Down", "F11"); an empty key is no combination.
struct KeyCombo {
    std::string key;
    unsigned modifiers = 0;

    bool empty() const { return key.empty(); }
    bool operator==(const KeyCombo&) const = default;
};

struct Menu;

// One entry of a menu. An entry with a submenu opens it; a separator has nothing else.
struct MenuItem {
    std::string title;
    std::string command;            // what activating it does; "" for none
    KeyCombo key;
    Json representedObject;         // null when none
    std::string toolTip;
    std::optional<bool> checked {}; // a check box when set
    bool enabled = true;
    bool separator = false;
    // Goes to whatever has the keyboard focus (editing commands); text fields keep their own keys.
    bool firstResponder = false;
    // Kept in the model for the record, never shown (commands the desktop has no counterpart for).
    bool hidden = false;
    std::shared_ptr<Menu> submenu;

    static MenuItem makeSeparator()
    {
        MenuItem item;
        item.separator = true;
        return item;
    }

    // A line of text that cannot be chosen ("No Document", a header).
    static MenuItem makeDisabledLine(std::string title)
    {
        MenuItem item;
        item.title = std::move(title);
        item.enabled = false;
        return item;
    }
};

struct Menu {
    std::string title;
    std::vector<MenuItem> items;
    // Its entries are made when it opens (by the responder's fill).
    bool fillsOnOpen = false;
};

// A menu bar: its menus from left to right.
struct MenuBar {
    std::vector<Menu> menus;
};

// What an entry looks like right now.
struct MenuItemState {
    bool enabled = true;
    std::optional<std::string> title {};
    std::optional<bool> checked {};
};

// Answers for the menus of one window. Every callback is optional.
struct MenuResponder {
    // Asked when a menu opens, for each of its entries, and before a key combination runs one.
    std::function<MenuItemState(const MenuItem&)> validate;
    // An enabled entry was chosen (from the menu or by its key combination).
    std::function<void(const MenuItem&)> perform;
    // A menu marked fillsOnOpen is opening: replace its entries.
    std::function<void(Menu&)> fill;
};

// Every entry with a key combination, submenus included, depth first.
std::vector<const MenuItem*> itemsWithKeys(const MenuBar& bar);

// Validates the entry and performs it when it is enabled; whether it was performed.
bool performIfEnabled(const MenuItem& item, const MenuResponder& responder);
// The state of an entry before it shows: its own, updated by the responder's validation.
MenuItemState currentState(const MenuItem& item, const MenuResponder& responder);

}
