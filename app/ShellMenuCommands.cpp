#include "app/ShellMenuCommands.h"

#include "app/AppDelegate.h"
#include "platform/ui/Window.h"

namespace ikw {

namespace {

// The page the window shows now, which takes the editing commands.
std::shared_ptr<ui::WebView> selectedView(ui::Window* window)
{
    return window ? window->tab(window->selectedTab()) : nullptr;
}

void registerEditing(MenuCommands& commands)
{
    const std::pair<const char*, ui::EditingCommand> rows[] {
        { "cut:", ui::EditingCommand::Cut },
        { "copy:", ui::EditingCommand::Copy },
        { "paste:", ui::EditingCommand::Paste },
        { "selectAll:", ui::EditingCommand::SelectAll },
    };
    for (const auto& [name, editing] : rows) {
        commands.add(
            name, [editing](const MenuUse& use) {
                if (const auto view = selectedView(use.window))
                    view->executeEditingCommand(editing);
            },
            [](const MenuUse& use) { return ui::MenuItemState { .enabled = selectedView(use.window) != nullptr }; });
    }
}

ui::MenuItemState withWindow(const MenuUse& use)
{
    return { .enabled = use.window != nullptr };
}

// Steps through the window's tabs, wrapping at either end.
void stepTab(ui::Window* window, int step)
{
    const int count = window ? window->tabCount() : 0;
    if (count > 1)
        window->selectTab((window->selectedTab() + step + count) % count);
}

ui::MenuItemState withSeveralTabs(const MenuUse& use)
{
    return { .enabled = use.window && use.window->tabCount() > 1 };
}

void registerWindowCommands(MenuCommands& commands, const MenuWindows& windows)
{
    commands.add("performMiniaturize:", [](const MenuUse& use) { use.window->iconify(); }, withWindow);
    commands.add("performZoom:", [](const MenuUse& use) { use.window->toggleMaximized(); }, withWindow);
    commands.add("selectPreviousTab:", [](const MenuUse& use) { stepTab(use.window, -1); }, withSeveralTabs);
    commands.add("selectNextTab:", [](const MenuUse& use) { stepTab(use.window, 1); }, withSeveralTabs);
    // Hiding the application puts all its windows away, as Minimize All does.
    const auto iconifyAll = [windows](const MenuUse&) {
        for (const auto& window : windows())
            window->iconify();
    };
    commands.add("miniaturizeAll:", iconifyAll);
    commands.add("hide:", iconifyAll);
    commands.add("arrangeInFront:", [windows](const MenuUse& use) {
        for (const auto& window : windows()) {
            if (window.get() != use.window)
                window->present();
        }
        // The window the command came from stays in front.
        if (use.window)
            use.window->present();
    });
}

}

void registerShellMenuCommands(MenuCommands& commands, MenuWindows windows)
{
    commands.add("showAbout:", [](const MenuUse&) {
        if (auto* delegate = appDelegate())
            delegate->showAbout();
    });
    commands.add("showHelp:", [](const MenuUse&) {
        if (auto* delegate = appDelegate())
            delegate->showHelp();
    });
    commands.add("terminate:", [](const MenuUse&) {
        if (auto* delegate = appDelegate())
            delegate->terminate();
    });
    registerEditing(commands);
    registerWindowCommands(commands, windows);
}

}
