#include "app/AppearanceMenu.h"

#include "app/AppDelegate.h"

#include <string>
#include <utility>

namespace ikw {

namespace {

using Action = void (NightDriver::*)();

// A command of the appearance driver, checked when `isChecked` says so.
void addDriverCommand(MenuCommands& commands, const std::function<AppDelegate*()>& delegate, const char* name, Action action,
    std::function<bool(const NightDriver&)> isChecked = {})
{
    commands.add(name, [delegate, action](const MenuUse&) {
        if (AppDelegate* shell = delegate())
            (shell->appearance().*action)();
    }, [delegate, isChecked](const MenuUse&) {
        AppDelegate* shell = delegate();
        ui::MenuItemState state;
        state.enabled = shell != nullptr;
        if (shell && isChecked)
            state.checked = isChecked(shell->appearance());
        return state;
    });
}

std::function<bool(const NightDriver&)> appearanceIs(std::string pref)
{
    return [pref = std::move(pref)](const NightDriver& driver) { return driver.appearancePref() == pref; };
}

std::function<bool(const NightDriver&)> nightModeIs(std::string mode)
{
    return [mode = std::move(mode)](const NightDriver& driver) { return driver.nightCfg().mode == mode; };
}

}

ui::Menu menuFromModel(const MenuModel& model)
{
    ui::Menu menu;
    menu.title = model.title;
    for (const MenuItemModel& entry : model.items) {
        if (entry.separator) {
            menu.items.push_back(ui::MenuItem::makeSeparator());
            continue;
        }
        ui::MenuItem item;
        item.title = entry.title;
        item.command = entry.command.empty() ? std::string() : entry.command + ":";
        item.enabled = entry.enabled;
        if (entry.checked)
            item.checked = true;
        menu.items.push_back(std::move(item));
    }
    return menu;
}

void registerAppearanceMenuCommands(MenuCommands& commands, std::function<AppDelegate*()> delegate)
{
    addDriverCommand(commands, delegate, "setAppearanceLight:", &NightDriver::setAppearanceLight, appearanceIs("light"));
    addDriverCommand(commands, delegate, "setAppearanceDark:", &NightDriver::setAppearanceDark, appearanceIs("dark"));
    addDriverCommand(commands, delegate, "setAppearanceAuto:", &NightDriver::setAppearanceAuto, appearanceIs("auto"));
    addDriverCommand(commands, delegate, "toggleTheme:", &NightDriver::toggleTheme);
    addDriverCommand(commands, delegate, "setNightOff:", &NightDriver::setNightOff, nightModeIs("off"));
    addDriverCommand(commands, delegate, "setNightAuto:", &NightDriver::setNightAuto, nightModeIs("auto"));
    addDriverCommand(commands, delegate, "setNightOn:", &NightDriver::setNightOn, nightModeIs("on"));
    addDriverCommand(commands, delegate, "resumeNightSchedule:", &NightDriver::resumeNightSchedule);
    addDriverCommand(commands, delegate, "toggleNightPages:", &NightDriver::toggleNightPages,
        [](const NightDriver& driver) { return driver.nightCfg().pages; });
    addDriverCommand(commands, delegate, "showNightSettings:", &NightDriver::showNightSettings);
    commands.add("editConfig:", [delegate](const MenuUse&) {
        if (AppDelegate* shell = delegate())
            shell->settingsHandler().editConfig();
    });
}

}
