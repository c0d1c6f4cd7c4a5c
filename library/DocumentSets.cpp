#include "library/DocumentSets.h"

#include "app/Settings.h"

#include <algorithm>

namespace ikw::library {

void setMultidocOpenMode(const std::string& mode)
{
    auto settings = loadConfig();
    settings["multidoc_open_mode"] = mode;
    saveConfig(settings);
}

const std::vector<std::string>& documentSetOf(const ReviewWC& window)
{
    return window.setPaths.empty() ? window.sourcePaths : window.setPaths;
}

std::vector<std::shared_ptr<ReviewWC>> windowsOfSet(const ReviewWindows& windows, const std::vector<std::string>& set)
{
    std::vector<std::shared_ptr<ReviewWC>> found;
    std::copy_if(windows.windows().begin(), windows.windows().end(), std::back_inserter(found),
        [&set](const std::shared_ptr<ReviewWC>& window) { return !window->isClosed() && window->setPaths == set; });
    return found;
}

void pushSetStateTo(const std::vector<std::shared_ptr<ReviewWC>>& windows)
{
    for (const auto& window : windows)
        window->pushSetState();
}

void DocumentSets::switchDocumentSet(const std::string& mode, ReviewWC& from)
{
    // Copied: opening and closing windows below may change the asking window's lists.
    const std::vector<std::string> set = documentSetOf(from);
    if (set.size() < 2)
        return;
    setMultidocOpenMode(mode);
    const auto ofSet = windowsOfSet(m_windows, set);
    // Already shown the asked way: the pages only learn the state again.
    if ((mode == "separately") == from.isReader) {
        pushSetStateTo(ofSet);
        return;
    }
    if (mode == "separately")
        showSeparately(set, from);
    else
        showTogether(set, ofSet);
}

void DocumentSets::showSeparately(const std::vector<std::string>& set, ReviewWC& from)
{
    // Closing drops the window from the list, which may hold its last reference.
    const auto keepAlive = from.shared_from_this();
    m_router.openEachIndividually(set);
    const auto opened = windowsOfSet(m_windows, set);
    const bool readerOfSet = std::any_of(opened.begin(), opened.end(), [](const auto& window) { return window->isReader; });
    // The review goes only once its documents show elsewhere (and never when a reader took it over).
    if (readerOfSet && !from.isReader)
        from.closeTab();
}

void DocumentSets::showTogether(const std::vector<std::string>& set, const std::vector<std::shared_ptr<ReviewWC>>& ofSet)
{
    m_openers.openReviewDirect(set, std::nullopt);
    // Each reader closes as its own tab would, keeping its view; other tabs of its window stay.
    for (const auto& window : ofSet) {
        if (window->isReader)
            window->closeTab();
    }
}

}
