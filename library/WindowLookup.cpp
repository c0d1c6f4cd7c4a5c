#include "library/WindowLookup.h"

#include "library/DocumentKinds.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"
#include "platform/core/TextMetrics.h"

#include <algorithm>

namespace ikw::library {

namespace {

bool isLive(const ReviewWC& window)
{
    return !window.isClosed() && window.window().isVisible();
}

// The review shown by the selected tab of `window`'s window (the window itself when the list
// does not know that tab).
std::shared_ptr<ReviewWC> selectedReviewOf(const ReviewWindows& windows, const std::shared_ptr<ReviewWC>& window)
{
    const auto& frame = window->window();
    const auto selected = frame.tab(frame.selectedTab());
    const auto& list = windows.windows();
    const auto it = std::find_if(list.begin(), list.end(), [&](const auto& entry) { return !entry->isClosed() && entry->web == selected; });
    return it == list.end() ? window : *it;
}

std::optional<std::string> existingFileOf(const std::shared_ptr<ReviewWC>& window)
{
    if (!window || window->sourcePaths.empty())
        return std::nullopt;
    const auto& path = window->sourcePaths.front();
    if (!realFileSystem().exists(path) || isDirectoryPath(path))
        return std::nullopt;
    return path;
}

}

bool openInTabs(const Json& settings)
{
    const auto it = settings.find("open_in");
    return !(it != settings.end() && it->is_string() && it->get<std::string>() == "window");
}

std::shared_ptr<ReviewWC> keyReview(const ReviewWindows& windows)
{
    const auto& list = windows.windows();
    const auto newestWhere = [&](auto test) {
        const auto it = std::find_if(list.rbegin(), list.rend(), [&](const auto& entry) { return isLive(*entry) && test(entry->window()); });
        return it == list.rend() ? nullptr : selectedReviewOf(windows, *it);
    };
    if (auto key = newestWhere([](const ui::Window& window) { return window.isActive(); }))
        return key;
    if (auto main = newestWhere([](const ui::Window& window) { return window.isFocusedLast(); }))
        return main;
    return newestWhere([](const ui::Window&) { return true; });
}

std::shared_ptr<ReviewWC> keyReviewWC(const ReviewWindows& windows)
{
    return keyReview(windows);
}

std::shared_ptr<ReviewWC> frontReviewWC(const ReviewWindows& windows)
{
    return keyReviewWC(windows);
}

bool isBrowseWindow(const ReviewWC& window)
{
    return window.hasContent && !window.isReader && !window.isCompareIntake && !window.isOrganize && !window.isBates && !window.isRedact;
}

std::shared_ptr<ReviewWC> frontBrowseWC(const ReviewWindows& windows)
{
    if (auto key = keyReviewWC(windows); key && isBrowseWindow(*key))
        return key;
    const auto& list = windows.windows();
    const auto it = std::find_if(list.rbegin(), list.rend(), [](const auto& entry) { return isLive(*entry) && isBrowseWindow(*entry); });
    return it == list.rend() ? nullptr : *it;
}

std::optional<std::string> currentDocPath(const ReviewWindows& windows)
{
    return existingFileOf(keyReviewWC(windows));
}

std::optional<std::string> frontDocPath(const ReviewWindows& windows)
{
    return existingFileOf(frontReviewWC(windows));
}

std::optional<std::string> currentLibraryRoot(const ReviewWindows& windows)
{
    const auto key = keyReview(windows);
    if (!key || !key->hasContent || key->sourcePaths.empty())
        return std::nullopt;
    const auto& path = key->sourcePaths.front();
    return isDirectoryPath(path) ? path : parentPath(path);
}

std::vector<std::shared_ptr<ReviewWC>> readerWindows(const ReviewWindows& windows)
{
    std::vector<std::shared_ptr<ReviewWC>> readers;
    std::copy_if(windows.windows().begin(), windows.windows().end(), std::back_inserter(readers),
        [](const auto& entry) { return entry->isReader && !entry->isClosed(); });
    return readers;
}

std::shared_ptr<ReviewWC> focusExistingReader(const ReviewWindows& windows, const std::string& path)
{
    for (const auto& reader : readerWindows(windows)) {
        if (!reader->sourcePaths.empty() && canonicallyEqual(reader->sourcePaths.front(), path) && reader->window().isVisible())
            return reader;
    }
    return nullptr;
}

void bringToFront(ReviewWC& review)
{
    auto& frame = review.window();
    for (int index = 0; index < frame.tabCount(); ++index) {
        if (frame.tab(index) == review.web)
            frame.selectTab(index);
    }
    frame.present();
}

}
