#include "library/ClosedTabs.h"

#include "app/Globals.h"
#include "app/Settings.h"
#include "platform/core/Log.h"
#include "platform/core/Paths.h"
#include "review/ReviewWC.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace ikw::library {

namespace {

constexpr const char* kKinds[] { "reader", "grid", "review" };

// A file or folder is there (a link counts when what it leads to is there).
bool existsOnDisk(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

bool allExist(const std::vector<std::string>& paths)
{
    return std::all_of(paths.begin(), paths.end(), existsOnDisk);
}

std::optional<std::string> optionalString(const Json& object, const char* key)
{
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string())
        return std::nullopt;
    return it->get<std::string>();
}

std::optional<std::vector<std::string>> nonEmptyPaths(const Json& object)
{
    const auto it = object.find("paths");
    if (it == object.end() || !it->is_array() || it->empty())
        return std::nullopt;
    std::vector<std::string> paths;
    for (const Json& element : *it) {
        if (!element.is_string() || element.get_ref<const std::string&>().empty())
            return std::nullopt;
        paths.push_back(element.get<std::string>());
    }
    return paths;
}

// Nothing for the windows that are not remembered (the tool windows).
std::optional<std::string> kindOf(const ReviewWC& window)
{
    if (window.isReader)
        return "reader";
    if (window.isGrid)
        return "grid";
    if (window.isOrganize || window.isRedact || window.isBates || window.isCampaign || window.timeline.isTimeline)
        return std::nullopt;
    return "review";
}

// The tab's own title (a tab of a shared window has its own); else one made from the paths.
std::string titleOf(const ReviewWC& window, const std::vector<std::string>& paths)
{
    if (window.web) {
        std::string title = window.window().tabTitle(*window.web);
        if (!title.empty())
            return title;
    }
    if (paths.size() == 1)
        return lastPathComponent(paths.front());
    return std::to_string(paths.size()) + " Items";
}

}

Json ClosedTab::asDict() const
{
    Json dict { { "kind", kind }, { "paths", paths }, { "title", title } };
    if (view)
        dict["view"] = *view;
    if (mode)
        dict["mode"] = *mode;
    return dict;
}

std::optional<ClosedTab> ClosedTab::init(const Json& value)
{
    if (!value.is_object())
        return std::nullopt;
    const auto kind = optionalString(value, "kind");
    if (!kind || std::find(std::begin(kKinds), std::end(kKinds), *kind) == std::end(kKinds))
        return std::nullopt;
    auto paths = nonEmptyPaths(value);
    auto title = optionalString(value, "title");
    if (!paths || !title)
        return std::nullopt;
    return ClosedTab {
        .kind = *kind,
        .paths = std::move(*paths),
        .view = optionalString(value, "view"),
        .mode = optionalString(value, "mode"),
        .title = std::move(*title),
    };
}

bool rememberClosedTabs(const Json& settings)
{
    if (!settings.is_object())
        return true;
    const auto it = settings.find("remember_closed_tabs");
    return it == settings.end() || !(it->is_boolean() && !it->get<bool>());
}

std::string closedTabsPath()
{
    return joinPath(globals().paths.applicationSupport(kProductFolderName), "closed-tabs.json");
}

ClosedTabs::ClosedTabs(Openers& openers, FileSystem& files, std::string path, Hooks hooks)
    : m_openers(openers)
    , m_files(files)
    , m_path(std::move(path))
    , m_hooks(std::move(hooks))
{
}

bool ClosedTabs::rememberClosedTabs() const
{
    return library::rememberClosedTabs(m_hooks.settings ? m_hooks.settings() : loadConfig());
}

void ClosedTabs::recordClosedTab(const ReviewWC& window)
{
    if (!window.hasContent)
        return;
    const auto kind = kindOf(window);
    if (!kind)
        return;
    std::vector<std::string> paths;
    std::copy_if(window.sourcePaths.begin(), window.sourcePaths.end(), std::back_inserter(paths),
        [](const std::string& path) { return !path.empty() && existsOnDisk(path); });
    if (paths.empty())
        return;
    std::string title = titleOf(window, paths);
    append(ClosedTab {
        .kind = *kind,
        .paths = std::move(paths),
        .view = window.reader.lastViewState,
        .mode = window.reviewMode,
        .title = std::move(title),
    });
    saveClosedTabs();
}

void ClosedTabs::append(ClosedTab tab)
{
    m_closedTabs.push_back(std::move(tab));
    if (m_closedTabs.size() > kClosedTabDepth)
        m_closedTabs.erase(m_closedTabs.begin(), m_closedTabs.end() - kClosedTabDepth);
}

void ClosedTabs::saveClosedTabs()
{
    if (!rememberClosedTabs()) {
        m_files.removeFile(m_path);
        return;
    }
    Json list = Json::array();
    for (const ClosedTab& tab : m_closedTabs)
        list.push_back(tab.asDict());
    m_files.createDirectories(parentPath(m_path));
    if (const IoStatus written = m_files.replaceFile(m_path, toPlainJson(list)); !written)
        logLine("Closed tabs not saved: " + written.message());
}

void ClosedTabs::loadClosedTabs()
{
    if (!rememberClosedTabs())
        return;
    const auto text = m_files.readFile(m_path);
    if (!text)
        return;
    const auto list = parseJson(*text);
    if (!list || !list->is_array())
        return;
    std::vector<ClosedTab> loaded;
    for (const Json& element : *list) {
        if (auto tab = ClosedTab::init(element); tab && allExist(tab->paths))
            loaded.push_back(std::move(*tab));
    }
    if (loaded.size() > kClosedTabDepth)
        loaded.erase(loaded.begin(), loaded.end() - kClosedTabDepth);
    m_closedTabs = std::move(loaded);
}

void ClosedTabs::reopenClosedTab()
{
    while (!m_closedTabs.empty()) {
        const ClosedTab tab = std::move(m_closedTabs.back());
        m_closedTabs.pop_back();
        if (!allExist(tab.paths)) {
            saveClosedTabs();
            continue;
        }
        open(tab);
        if (m_hooks.recordUsage)
            m_hooks.recordUsage("tab.reopen");
        saveClosedTabs();
        return;
    }
    if (m_hooks.recordUsage)
        m_hooks.recordUsage("tab.reopen_empty");
    if (m_hooks.beep)
        m_hooks.beep();
}

void ClosedTabs::open(const ClosedTab& tab)
{
    if (tab.kind == "reader")
        m_openers.openReader(tab.paths.front(), ReaderOpening { .page = std::nullopt, .restoreView = tab.view, .setPaths = {} });
    else if (tab.kind == "grid")
        m_openers.openGrid(tab.paths.front());
    else
        m_openers.openReviewDirect(tab.paths, tab.mode);
}

}
