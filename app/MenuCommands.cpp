#include "app/MenuCommands.h"

#include "platform/core/Log.h"

namespace ikw {

void MenuCommands::add(std::string_view name, Perform perform, Validate validate)
{
    if (!m_perform.emplace(std::string(name), std::move(perform)).second) {
        logLine("menu commands: \"" + std::string(name) + "\" is registered twice; the first one stays");
        return;
    }
    if (validate)
        addValidation(name, std::move(validate));
}

void MenuCommands::addValidation(std::string_view name, Validate validate)
{
    if (!m_validate.emplace(std::string(name), std::move(validate)).second)
        logLine("menu commands: \"" + std::string(name) + "\" has two validation rows; the first one stays");
}

ui::MenuItemState MenuCommands::validate(const MenuUse& use) const
{
    if (use.item.command.empty())
        return {};
    if (!has(use.item.command))
        return { .enabled = false, .title = std::nullopt, .checked = std::nullopt };
    const auto row = m_validate.find(use.item.command);
    return row == m_validate.end() ? ui::MenuItemState {} : row->second(use);
}

bool MenuCommands::perform(const MenuUse& use) const
{
    if (use.item.command.empty() || !validate(use).enabled)
        return false;
    // The command may change the table's owner's state; it runs from a copy.
    const Perform perform = m_perform.find(use.item.command)->second;
    perform(use);
    return true;
}

ui::MenuResponder MenuCommands::responderFor(ui::Window* window, std::function<void(ui::Menu&)> fill) const
{
    return ui::MenuResponder {
        .validate = [this, window](const ui::MenuItem& item) { return validate({ item, window }); },
        .perform = [this, window](const ui::MenuItem& item) { perform({ item, window }); },
        .fill = std::move(fill),
    };
}

}
