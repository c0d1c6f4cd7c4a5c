#include "library/RecentLists.h"

#include "app/Globals.h"
#include "library/HistoryStore.h"
#include "library/OpenRouter.h"
#include "library/StandardPath.h"
#include "library/WindowLookup.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"
#include "platform/core/PrivateTemporaryFolder.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/PageScript.h"
#include "review/ReviewWC.h"
#include "review/ReviewWindows.h"

#include <algorithm>
#include <cstdlib>

namespace ikw::library {

namespace {

bool isWithin(const std::string& path, const std::string& folder)
{
    if (folder.empty())
        return false;
    const std::string base = folder.ends_with('/') ? folder.substr(0, folder.size() - 1) : folder;
    return path == base || path.starts_with(base + "/");
}

}

std::vector<std::string> RecentLists::defaultTemporaryRoots()
{
    std::vector<std::string> roots { "/tmp", "/private/tmp", "/var/folders", "/var/tmp" };
    if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir && *tmpdir)
        roots.push_back(standardizedPath(tmpdir));
    if (const auto own = privateTemporaryFolder(globals().paths, kProductFolderName))
        roots.push_back(*own);
    return roots;
}

RecentLists::RecentLists(HistoryStore& history, ReviewWindows& windows, Openers& openers, ui::Dialogs& dialogs, Hooks hooks)
    : m_history(history)
    , m_windows(windows)
    , m_openers(openers)
    , m_dialogs(dialogs)
    , m_hooks(std::move(hooks))
{
}

std::vector<RecentItem> RecentLists::recentItems() const
{
    return readRecentItems(appUserDefaults(), m_hooks.clock());
}

bool RecentLists::isRecordableRecent(const std::string& path) const
{
    if (std::getenv("IKW_TEST"))
        return false;
    const std::string standardized = standardizedPath(path);
    const auto roots = m_hooks.temporaryRoots ? m_hooks.temporaryRoots() : defaultTemporaryRoots();
    if (std::any_of(roots.begin(), roots.end(), [&](const std::string& root) { return isWithin(standardized, root); }))
        return false;
    return !isWithin(standardized, globals().archive);
}

void RecentLists::recordRecent(const std::vector<std::string>& paths)
{
    auto items = recentItems();
    double now = m_hooks.clock();
    const FileSystem& files = realFileSystem();
    for (const auto& path : paths) {
        if (!isRecordableRecent(path) || !files.exists(path))
            continue;
        const bool isDir = files.isDirectory(path);
        const std::string standardized = standardizedPath(path);
        std::erase_if(items, [&](const RecentItem& item) { return item.path == standardized; });
        now += 0.001;
        items.insert(items.begin(), RecentItem { standardized, isDir, now });
        m_history.record(standardized, isDir, "open");
    }
    auto defaults = appUserDefaults();
    writeRecentItems(defaults, std::move(items));
    if (m_hooks.rebuildMenu)
        m_hooks.rebuildMenu();
}

void RecentLists::clearRecent()
{
    auto defaults = appUserDefaults();
    writeRecentItems(defaults, {});
    if (m_hooks.rebuildMenu)
        m_hooks.rebuildMenu();
}

void RecentLists::openRecentItem(const std::string& path)
{
    OpenRouter(m_openers).runEngine({ path });
}

std::vector<std::string> RecentLists::pinned() const
{
    return readPinnedFolders(appUserDefaults());
}

bool RecentLists::isPinned(const std::string& path) const
{
    const auto pins = pinned();
    return std::find(pins.begin(), pins.end(), path) != pins.end();
}

void RecentLists::storePinned(const std::vector<std::string>& paths)
{
    auto defaults = appUserDefaults();
    writePinnedFolders(defaults, paths);
    if (m_hooks.rebuildMenu)
        m_hooks.rebuildMenu();
    refreshPinnedEverywhere();
}

void RecentLists::pinFolder(const std::string& path)
{
    auto pins = pinned();
    if (std::find(pins.begin(), pins.end(), path) != pins.end())
        return;
    pins.push_back(path);
    storePinned(pins);
}

void RecentLists::unpinFolder(const std::string& path)
{
    auto pins = pinned();
    if (std::erase(pins, path) == 0)
        return;
    storePinned(pins);
}

void RecentLists::pinCurrentFolder()
{
    if (const auto root = currentLibraryRoot(m_windows))
        pinFolder(*root);
}

void RecentLists::unpinCurrentFolder()
{
    if (const auto root = currentLibraryRoot(m_windows))
        unpinFolder(*root);
}

void RecentLists::openPinnedItem(const std::string& path)
{
    if (realFileSystem().exists(path)) {
        OpenRouter(m_openers).runEngine({ path });
        return;
    }
    m_dialogs.alert(nullptr,
        ui::AlertContent {
            .message = "Can\u2019t open this library",
            .informativeText = "The folder \u201c" + lastPathComponent(path) + "\u201d no longer exists at:\n" + path,
        },
        {});
}

std::string RecentLists::pinnedJSON() const
{
    Json listed = Json::array();
    for (const auto& path : pinned())
        listed.push_back(Json { { "path", path }, { "name", lastPathComponent(path) } });
    try {
        return toJson(listed);
    } catch (const Json::exception&) {
        return "[]";
    }
}

void RecentLists::refreshPinnedEverywhere()
{
    const std::string script = ui::guardedCall("ikwSetPinned", pinnedJSON());
    for (const auto& window : m_windows.windows()) {
        if (!window || window->isClosed() || !window->window().isVisible())
            continue;
        window->evaluate(script);
        if (window->hasContent || !m_hooks.writeWelcomePage)
            continue;
        if (const auto page = m_hooks.writeWelcomePage())
            window->web->loadFile(*page);
    }
}

}
