#include "app/MainMenu.h"

#include "app/Globals.h"
#include "app/Settings.h"
#include "platform/core/FileSystem.h"
#include "platform/core/TaskQueue.h"
#include "platform/ui/Window.h"

#include <algorithm>

namespace ikw {

MainMenu::MainMenu(MenuCommands& commands, MainMenuSources sources)
    : m_commands(commands)
    , m_sources(std::move(sources))
{
}

MainMenuInputs MainMenu::readInputs() const
{
    MainMenuInputs inputs;
    inputs.settings = m_sources.settings ? m_sources.settings() : loadConfig();
    inputs.brand = globals().brand;
    inputs.recentItems = m_sources.recentItems ? m_sources.recentItems() : readRecentItems(appUserDefaults(), 0);
    inputs.pinnedFolders = m_sources.pinnedFolders ? m_sources.pinnedFolders() : readPinnedFolders(appUserDefaults());
    inputs.exists = [](const std::string& path) { return realFileSystem().exists(path); };
    if (m_sources.nightMenu)
        inputs.nightMenu = m_sources.nightMenu();
    if (m_sources.updateSubmenuItem)
        inputs.updateSubmenuItem = m_sources.updateSubmenuItem();
    if (m_updateStatusTitle)
        inputs.updateStatusTitle = *m_updateStatusTitle;
    return inputs;
}

void MainMenu::rebuildMenu()
{
    const MainMenuInputs inputs = readInputs();
    m_current = std::make_shared<const ui::MenuBar>(buildMainMenu(inputs));
    if (m_rebuilt)
        m_rebuilt(inputs);
    if (std::exchange(m_installScheduled, true))
        return;
    mainQueue().post([weak = weak_from_this()] {
        if (const auto menu = weak.lock())
            menu->installOnWindows();
    });
}

void MainMenu::installOnWindows()
{
    m_installScheduled = false;
    std::erase_if(m_windows, [](const auto& window) { return window.expired(); });
    for (const auto& weak : m_windows) {
        if (const auto window = weak.lock())
            install(*window);
    }
}

void MainMenu::attach(const std::shared_ptr<ui::Window>& window)
{
    if (!window)
        return;
    m_windows.push_back(window);
    if (m_current)
        install(*window);
}

std::vector<std::shared_ptr<ui::Window>> MainMenu::windows() const
{
    std::vector<std::shared_ptr<ui::Window>> open;
    for (const auto& weak : m_windows) {
        if (auto window = weak.lock(); window && window->isVisible())
            open.push_back(std::move(window));
    }
    return open;
}

void MainMenu::install(ui::Window& window) const
{
    // The responder outlives no window it serves: the window holds it.
    window.setMenuBar(m_current, m_commands.responderFor(&window, [this](ui::Menu& menu) { fill(menu); }));
}

void MainMenu::setUpdateStatusTitle(const std::string& title)
{
    m_updateStatusTitle = title;
    rebuildMenu();
}

void MainMenu::setMenuFiller(const std::string& title, std::function<void(ui::Menu&)> fill)
{
    m_fillers[title] = std::move(fill);
}

void MainMenu::fill(ui::Menu& menu) const
{
    const auto filler = m_fillers.find(menu.title);
    if (filler != m_fillers.end() && filler->second)
        filler->second(menu);
}

}
