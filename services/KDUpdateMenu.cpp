#include "services/KDUpdateMenu.h"

#include "app/MenuCommands.h"
#include "review/PanelRouter.h"
#include "services/KDUpdate.h"

#include <memory>

namespace ikw::services::KDUpdate {

namespace {

struct Switch {
    const char* command;
    bool (*read)();
    void (*write)(bool);
};

// The submenu's switches by command, in the order they are shown.
constexpr Switch kSwitches[] {
    { "updToggleMaster:", fullyAutomatic, setFullyAutomatic },
    { "updToggleCheck:", autoCheck, setAutoCheck },
    { "updToggleDownload:", autoDownload, setAutoDownload },
    { "updToggleInstall:", autoInstall, setAutoInstall },
};

ui::MenuItem switchItem(const std::string& title, const Switch& entry)
{
    ui::MenuItem item;
    item.title = title;
    item.command = entry.command;
    item.checked = entry.read();
    return item;
}

}

ui::MenuItem updateSubmenuItem(const std::string& productName)
{
    ui::Menu submenu { kSoftwareUpdateTitle, {
        switchItem("Automatically keep " + productName + " up to date", kSwitches[0]),
        ui::MenuItem::makeSeparator(),
        switchItem("Automatically check for updates", kSwitches[1]),
        switchItem("Automatically download updates", kSwitches[2]),
        switchItem("Automatically install updates", kSwitches[3]),
    }, true };
    ui::MenuItem item;
    item.title = kSoftwareUpdateTitle;
    item.submenu = std::make_shared<ui::Menu>(std::move(submenu));
    return item;
}

void refreshSoftwareUpdateMenu(ui::Menu& menu)
{
    for (ui::MenuItem& item : menu.items) {
        for (const Switch& entry : kSwitches) {
            if (item.command == entry.command)
                item.checked = entry.read();
        }
    }
}

void registerUpdateMenuCommands(MenuCommands& commands)
{
    for (const Switch& entry : kSwitches)
        commands.add(entry.command, [entry](const MenuUse&) { entry.write(!entry.read()); });
    commands.add("checkForUpdatesMenu:", [](const MenuUse&) { checkNow(true); });
}

void registerUpdatePanelAction(PanelActions& actions)
{
    actions.add("checkupdates", [](const PanelAction&) { checkNow(true); });
}

}
