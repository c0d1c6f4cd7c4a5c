#pragma once

#include "app/MainMenuModel.h"
#include "app/MenuCommands.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw {

namespace ui {
class Window;
}

// Parts of the menu that belong to other subsystems; an empty entry leaves its part out.
struct MainMenuSources {
    // The settings (the process's config file when empty).
    std::function<Json()> settings {};
    // The recent items and the pinned folders (the application's user defaults when empty).
    std::function<std::vector<RecentItem>()> recentItems {};
    std::function<std::vector<std::string>()> pinnedFolders {};
    // The appearance driver's "Night Mode" submenu.
    std::function<ui::Menu()> nightMenu {};
    // The update subsystem's entry whose submenu is "Software Update".
    std::function<ui::MenuItem()> updateSubmenuItem {};
};

// The application's main menu: one model, built whole from the settings, the user defaults, the
// brand and the sources above whenever anything it shows changes, and shown as the menu bar of
// every review window. The widgets follow the model in one later turn of the loop, so a burst of
// rebuilds costs one. Main thread only.
class MainMenu : public std::enable_shared_from_this<MainMenu> {
public:
    // `commands` must outlive the menu.
    MainMenu(MenuCommands& commands, MainMenuSources sources);

    void rebuildMenu();
    // A new review window: it shows the menu as it is now (once one has been built) and every
    // later one. Windows are held weakly.
    void attach(const std::shared_ptr<ui::Window>& window);
    // The windows that show the menu and are still open, oldest first.
    std::vector<std::shared_ptr<ui::Window>> windows() const;
    // The model in force (none before the first rebuild).
    std::shared_ptr<const ui::MenuBar> current() const { return m_current; }

    // The update status line keeps its title across rebuilds; the update subsystem retitles it.
    void setUpdateStatusTitle(const std::string& title);

    // Told what every rebuild read (the status item's "Open Recent" follows the recent items).
    void setRebuildListener(std::function<void(const MainMenuInputs&)> listener) { m_rebuilt = std::move(listener); }

    // The menu delegate: a submenu that fills on opening asks the filler of its title ("Open
    // With", "Software Update"). A title with no filler keeps its entries.
    void setMenuFiller(const std::string& title, std::function<void(ui::Menu&)> fill);

private:
    MainMenuInputs readInputs() const;
    void installOnWindows();
    void install(ui::Window& window) const;
    void fill(ui::Menu& menu) const;

    MenuCommands& m_commands;
    MainMenuSources m_sources;
    std::shared_ptr<const ui::MenuBar> m_current;
    std::optional<std::string> m_updateStatusTitle;
    std::vector<std::weak_ptr<ui::Window>> m_windows;
    std::map<std::string, std::function<void(ui::Menu&)>> m_fillers;
    std::function<void(const MainMenuInputs&)> m_rebuilt;
    bool m_installScheduled = false;
};

}
