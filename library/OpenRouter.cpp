#include "library/OpenRouter.h"

#include "app/Settings.h"
#include "library/DocumentKinds.h"

#include <glib.h>

#include <algorithm>

namespace ikw::library {

namespace {

// One thing handed over: a local path, or a URL split into its lower-cased scheme and host and
// its decoded path.
struct OpenItem {
    std::string scheme;
    std::string host;
    std::string path;
    std::string text;
};

std::string lowered(const char* text)
{
    if (!text)
        return {};
    gchar* lower = g_ascii_strdown(text, -1);
    std::string result(lower);
    g_free(lower);
    return result;
}

OpenItem parseItem(const std::string& text)
{
    if (text.empty() || text.front() == '/')
        return { {}, {}, text, text };
    GUri* uri = g_uri_parse(text.c_str(), G_URI_FLAGS_NONE, nullptr);
    if (!uri)
        return { {}, {}, text, text };
    OpenItem item { lowered(g_uri_get_scheme(uri)), lowered(g_uri_get_host(uri)), g_uri_get_path(uri), text };
    g_uri_unref(uri);
    return item;
}

std::string stringSetting(const Json& settings, const char* key)
{
    const auto it = settings.find(key);
    return it != settings.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}

std::string twoFileDropAction(const Json& settings)
{
    for (const char* key : { "two_file_drop_action_v2", "two_file_drop_action" }) {
        if (auto value = stringSetting(settings, key); !value.empty())
            return value;
    }
    return "review";
}

std::optional<std::string> multidocOpenMode(const Json& settings)
{
    auto value = stringSetting(settings, "multidoc_open_mode");
    if (value == "together" || value == "separately")
        return value;
    return std::nullopt;
}

void OpenRouter::openURLs(const std::vector<std::string>& items)
{
    std::vector<OpenItem> parsed;
    std::transform(items.begin(), items.end(), std::back_inserter(parsed), parseItem);
    for (const auto& item : parsed) {
        if (item.scheme == "qeliz" && item.host == "finder")
            m_openers.handleFinderExtensionURL(item.text);
    }
    // Only local things open here: plain paths and "file:" URLs. Any other "qeliz" URL, the
    // sign-in's "inkwarden:" callbacks (taken before this) and web addresses are dropped quietly.
    std::vector<std::string> paths;
    for (const auto& item : parsed) {
        if (item.scheme.empty() || item.scheme == "file")
            paths.push_back(item.path);
    }
    if (paths.empty())
        return;
    m_openers.noteDidOpen();
    if (paths.size() > 1 && std::all_of(paths.begin(), paths.end(), isReaderDoc))
        runEngine(paths);
    else
        std::for_each(paths.begin(), paths.end(), [this](const std::string& path) { handle(path); });
    m_openers.activate();
}

void OpenRouter::handle(const std::string& item)
{
    const auto path = parseItem(item).path;
    const auto extension = lowerExtension(path);
    if (extension == "html" && !isDirectoryPath(path))
        m_openers.openInBrowser(path);
    else if (isReaderDoc(path))
        openReaderAlone(path);
    else if (gridExts().contains(extension))
        m_openers.openGrid(path);
    else if (isHandoffDoc(path))
        m_openers.openInDefaultApp(path);
    else
        runEngine({ path }); // folders and anything else become a review
}

void OpenRouter::runEngine(const std::vector<std::string>& paths, const std::optional<std::string>& mode)
{
    if (mode) {
        m_openers.openReviewDirect(paths, mode);
        return;
    }
    if (paths.size() == 1) {
        const auto& path = paths.front();
        if (isReaderDoc(path))
            openReaderAlone(path);
        else if (isGridDoc(path))
            m_openers.openGrid(path);
        else if (isHandoffDoc(path))
            m_openers.openInDefaultApp(path);
        else
            m_openers.openReviewDirect(paths, std::nullopt);
        return;
    }
    if (paths.size() >= 2 && std::all_of(paths.begin(), paths.end(), isReaderDoc)) {
        applyDocumentSetMode(multidocOpenMode(loadConfig()).value_or("together"), paths);
        return;
    }
    m_openers.openReviewDirect(paths, std::nullopt);
}

void OpenRouter::applyDocumentSetMode(const std::string& mode, const std::vector<std::string>& paths)
{
    if (mode == "separately")
        openEachIndividually(paths);
    else if (paths.size() == 2)
        routeTwoFileOpen(paths);
    else
        routeMultiFileOpen(paths);
}

void OpenRouter::routeTwoFileOpen(const std::vector<std::string>& paths)
{
    const auto action = twoFileDropAction(loadConfig());
    if (action == "compare") {
        m_openers.openReviewDirect(paths, "compare");
    } else if (action == "individual") {
        openEachIndividually(paths);
    } else {
        m_openers.openReviewDirect(paths, std::nullopt);
    }
}

void OpenRouter::routeMultiFileOpen(const std::vector<std::string>& paths)
{
    m_openers.openReviewDirect(paths, std::nullopt);
}

void OpenRouter::openEachIndividually(const std::vector<std::string>& paths)
{
    m_openers.recordRecent(paths);
    for (const auto& path : paths)
        m_openers.openReader(path, ReaderOpening { .setPaths = paths });
}

void OpenRouter::openReaderAlone(const std::string& path)
{
    m_openers.openReader(path, ReaderOpening {});
}

}
