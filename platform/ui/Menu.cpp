#include "platform/ui/Menu.h"

namespace ikw::ui {

namespace {

void collect(const std::vector<MenuItem>& items, std::vector<const MenuItem*>& found)
{
    for (const auto& item : items) {
        if (item.submenu)
            collect(item.submenu->items, found);
        else if (!item.key.empty() && !item.separator)
            found.push_back(&item);
    }
}

}

std::vector<const MenuItem*> itemsWithKeys(const MenuBar& bar)
{
    std::vector<const MenuItem*> found;
    for (const auto& menu : bar.menus)
        collect(menu.items, found);
    return found;
}

MenuItemState currentState(const MenuItem& item, const MenuResponder& responder)
{
    MenuItemState state { item.enabled, std::nullopt, item.checked };
    if (!responder.validate || item.separator)
        return state;
    const MenuItemState answer = responder.validate(item);
    state.enabled = item.enabled && answer.enabled;
    if (answer.title)
        state.title = answer.title;
    if (answer.checked)
        state.checked = answer.checked;
    return state;
}

bool performIfEnabled(const MenuItem& item, const MenuResponder& responder)
{
    if (item.separator || item.submenu || !currentState(item, responder).enabled || !responder.perform)
        return false;
    responder.perform(item);
    return true;
}

}
