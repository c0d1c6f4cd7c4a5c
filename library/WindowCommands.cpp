#include "library/WindowCommands.h"

#include "app/Settings.h"
#include "library/OpenRouter.h"
#include "library/WindowLookup.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"
#include "review/ReviewWC.h"
#include "review/UpdateAlert.h"

#include <algorithm>
#include <set>

namespace ikw::library {

namespace {

// The distinct windows of the live review tabs, in the order their first tab was made.
std::vector<ui::Window*> liveFrames(const ReviewWindows& windows)
{
    std::vector<ui::Window*> frames;
    for (const auto& entry : windows.windows()) {
        if (!entry->isClosed() && std::find(frames.begin(), frames.end(), &entry->window()) == frames.end())
            frames.push_back(&entry->window());
    }
    return frames;
}

ui::FilePanelOptions folderPanel(const std::string& title)
{
    ui::FilePanelOptions options;
    options.title = title;
    options.chooseFiles = false;
    options.chooseDirectories = true;
    options.allowsMultiple = true;
    return options;
}

bool flipSetting(const char* key, bool fallback)
{
    auto settings = loadConfig();
    const auto it = settings.find(key);
    const bool current = it != settings.end() && it->is_boolean() ? it->get<bool>() : fallback;
    settings[key] = !current;
    saveConfig(settings);
    return !current;
}

}

WindowCommands::WindowCommands(ReviewWindows& windows, Openers& openers, ui::Dialogs& dialogs, WindowCommandHooks hooks)
    : m_windows(windows)
    , m_openers(openers)
    , m_dialogs(dialogs)
    , m_hooks(std::move(hooks))
{
}

void WindowCommands::newTab()
{
    if (!m_hooks.showWelcome)
        return;
    const auto key = keyReview(m_windows);
    m_hooks.showWelcome(key ? &key->webView() : nullptr);
}

void WindowCommands::newWindow()
{
    if (m_hooks.showWelcome)
        m_hooks.showWelcome(nullptr);
}

std::vector<std::shared_ptr<ReviewWC>> WindowCommands::keyWindowTabs() const
{
    const auto key = keyReview(m_windows);
    if (!key)
        return {};
    const auto& frame = key->window();
    std::vector<std::shared_ptr<ReviewWC>> tabs;
    for (int index = 0; index < frame.tabCount(); ++index) {
        const auto view = frame.tab(index);
        const auto& list = m_windows.windows();
        const auto it = std::find_if(list.begin(), list.end(), [&](const auto& entry) { return !entry->isClosed() && entry->web == view; });
        if (it != list.end())
            tabs.push_back(*it);
    }
    return tabs;
}

void WindowCommands::closeWholeWindow()
{
    // One window holds all its tabs; its close request asks each of them.
    if (const auto key = keyReview(m_windows))
        key->window().requestClose();
}

void WindowCommands::closeAllWindows()
{
    for (auto* frame : liveFrames(m_windows)) {
        if (frame->isVisible())
            frame->requestClose();
    }
}

void WindowCommands::toggleAlwaysOnTop()
{
    const bool onTop = flipSetting("always_on_top", false);
    for (auto* frame : liveFrames(m_windows))
        frame->setLevel(onTop ? ui::WindowLevel::Floating : ui::WindowLevel::Normal);
    if (m_hooks.rebuildMenu)
        m_hooks.rebuildMenu();
}

void WindowCommands::toggleAutoRefresh()
{
    const bool on = flipSetting("auto_refresh", true);
    // A copy: starting a watcher may not change the list, but a close during it could.
    const auto windows = m_windows.windows();
    for (const auto& window : windows) {
        if (window->isClosed())
            continue;
        if (on)
            window->startWatching();
        else
            window->watch.watcher.reset();
    }
    if (m_hooks.rebuildMenu)
        m_hooks.rebuildMenu();
}

void WindowCommands::showTabsInLibrary()
{
    std::vector<std::string> paths;
    for (const auto& tab : keyWindowTabs()) {
        for (const auto& path : tab->sourcePaths) {
            if (!path.empty() && std::find(paths.begin(), paths.end(), path) == paths.end())
                paths.push_back(path);
        }
    }
    if (paths.empty()) {
        ui::AlertContent alert;
        alert.message = "No open documents to show";
        alert.informativeText = "Open some documents in tabs first, then this gathers them into the Library.";
        m_dialogs.alert(nullptr, alert, [](ui::AlertAnswer) { });
        return;
    }
    m_openers.openReviewDirect(paths, std::nullopt);
}

void WindowCommands::toggleLibrary()
{
    const auto& list = m_windows.windows();
    const auto it = std::find_if(list.begin(), list.end(),
        [](const auto& entry) { return !entry->isReader && !entry->isClosed() && entry->window().isVisible(); });
    if (it == list.end()) {
        if (m_hooks.openHistory)
            m_hooks.openHistory("recents");
        return;
    }
    const auto key = keyReview(m_windows);
    if (key && &key->window() == &(*it)->window())
        (*it)->window().hide();
    else
        (*it)->window().present();
}

void WindowCommands::openConsolidated()
{
    if (m_hooks.recordUsage)
        m_hooks.recordUsage("open.consolidated");
    if (m_hooks.openHistory)
        m_hooks.openHistory("open");
}

// Pickers ----------------------------------------------------------------------------------

void WindowCommands::pickReaderDoc()
{
    ui::FilePanelOptions options;
    options.title = "Read a Document";
    m_dialogs.openPanel(nullptr, options, [this](std::optional<std::vector<std::string>> chosen) {
        if (chosen && !chosen->empty())
            OpenRouter(m_openers).runEngine({ chosen->front() });
    });
}

void WindowCommands::pick(const std::optional<std::string>& mode)
{
    m_dialogs.openPanel(nullptr, folderPanel("Review"), [this, mode](std::optional<std::vector<std::string>> chosen) {
        if (chosen)
            OpenRouter(m_openers).runEngine(*chosen, mode);
    });
}

void WindowCommands::addFoldersToReview()
{
    m_dialogs.openPanel(nullptr, folderPanel("Add folders to the current view (they join the folders already open on the left)."), [this](std::optional<std::vector<std::string>> chosen) {
        if (!chosen || chosen->empty())
            return;
        const auto key = keyReview(m_windows);
        if (!key || !key->hasContent || key->isReader || key->isOrganize || key->isBates || key->isRedact || key->timeline.isTimeline) {
            OpenRouter(m_openers).runEngine(*chosen);
            return;
        }
        auto extended = key->sourcePaths;
        for (const auto& path : *chosen) {
            if (std::find(extended.begin(), extended.end(), path) == extended.end())
                extended.push_back(path);
        }
        if (extended.size() == key->sourcePaths.size())
            return;
        m_openers.recordRecent(*chosen);
        key->loadReview(extended, std::nullopt);
    });
}

void WindowCommands::openRoot(const std::string& path)
{
    if (realFileSystem().exists(path)) {
        OpenRouter(m_openers).runEngine({ path });
        return;
    }
    updateAlert(m_dialogs, "Can\u2019t open this library",
        "The folder \u201C" + lastPathComponent(path) + "\u201D no longer exists at:\n" + path);
}

void WindowCommands::chooseFolderAgain()
{
    if (const auto key = keyReview(m_windows))
        key->reshellChoose(false);
}

void WindowCommands::resetFolderPref()
{
    if (const auto key = keyReview(m_windows))
        key->reshellChoose(true);
}

void WindowCommands::reloadReview()
{
    if (const auto key = keyReview(m_windows))
        key->reloadRecache(true);
}

}
