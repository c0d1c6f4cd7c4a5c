#include "review/ReviewWindows.h"

#include <algorithm>

namespace ikw {

ReviewWindows::ReviewWindows(ReviewServices& services)
    : m_services(services)
{
    m_services.closed = [this](ReviewWC& window) { remove(window); };
}

bool ReviewWindows::hasVisibleWindow() const
{
    return std::any_of(m_windows.begin(), m_windows.end(), [](const auto& window) { return window->window().isVisible(); });
}

std::shared_ptr<ReviewWC> ReviewWindows::open(const std::optional<std::string>& pagePath, ReviewWC* host)
{
    auto window = ReviewWC::create(m_services, pagePath, host);
    m_windows.push_back(window);
    return window;
}

void ReviewWindows::openPage(const std::optional<std::string>& pagePath, const ui::WebView* tabbingHost)
{
    const auto host = tabbingHost ? find(*tabbingHost) : nullptr;
    open(pagePath, host.get());
}

bool ReviewWindows::showHome(const ui::WebView& web, const std::optional<std::string>& pagePath)
{
    const auto window = find(web);
    if (!window)
        return false;
    window->showHome(pagePath);
    return true;
}

void ReviewWindows::openReview(const std::vector<std::string>& paths)
{
    open(std::nullopt)->loadReview(paths, std::nullopt);
}

std::shared_ptr<ReviewWC> ReviewWindows::find(const ui::WebView& web) const
{
    const auto it = std::find_if(m_windows.begin(), m_windows.end(),
        [&](const auto& window) { return !window->isClosed() && window->web.get() == &web; });
    return it == m_windows.end() ? nullptr : *it;
}

void ReviewWindows::remove(const ReviewWC& window)
{
    std::erase_if(m_windows, [&](const auto& entry) { return entry.get() == &window; });
}

}
