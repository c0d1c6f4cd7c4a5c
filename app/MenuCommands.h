#pragma once

#include "platform/ui/Menu.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace ikw {

namespace ui {
class Window;
}

// One use of a menu entry: the entry, and the window whose menu or keys were used (none when the
// entry was used elsewhere, as from a pop-up's owner that has gone).
struct MenuUse {
    const ui::MenuItem& item;
    ui::Window* window = nullptr;
};

// The menu's table of commands: name ("newTab:") to what it does, and the validation rows that
// settle an entry's enabled state, title and check mark. Features add their own rows, as they
// register page actions; an entry whose command has no row is disabled. Main thread only.
class MenuCommands {
public:
    using Perform = std::function<void(const MenuUse&)>;
    using Validate = std::function<ui::MenuItemState(const MenuUse&)>;

    // A name already taken keeps its first row (reported: two owners of one command is a wiring
    // mistake).
    void add(std::string_view name, Perform perform, Validate validate = {});
    // A validation row for a command that another part performs (or will, once it exists).
    void addValidation(std::string_view name, Validate validate);

    bool has(std::string_view name) const { return m_perform.find(name) != m_perform.end(); }
    // Entries without a command are enabled; a command without a row is not.
    ui::MenuItemState validate(const MenuUse& use) const;
    // Validates first: a disabled command does nothing. Whether it ran.
    bool perform(const MenuUse& use) const;

    // The responder of one window's menus; `fill` fills menus that fill on opening (by title).
    ui::MenuResponder responderFor(ui::Window* window, std::function<void(ui::Menu&)> fill = {}) const;

private:
    std::map<std::string, Perform, std::less<>> m_perform;
    std::map<std::string, Validate, std::less<>> m_validate;
};

}
