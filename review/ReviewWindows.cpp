#include "review/ReviewWindows.h"

#include <algorithm>

namespace ikw {

namespace {

// A review window as the shell sees it; it does not keep the window alive.
class ShellView final : public OpenReviewWindow {
public:
    explicit ShellView(const std::shared_ptr<ReviewWC>& window) : m_window(window) {}

    bool isReader() const override
    {
        const auto window = m_window.lock();
        return window && window->isReader;
    }
    bool isOpenSurface() const override
    {
        const auto window = m_window.lock();
        return window && window->isOpenSurface;
    }
    void evaluate(const std::string& script) override
    {
        if (const auto window = m_window.lock(); window && !window->isClosed())
            window->evaluate(script);
    }
    void setBackground(const ui::Color& color) override
    {
        if (const auto window = m_window.lock(); window && !window->isClosed())
            window->setBackground(color);
    }

private:
    std::weak_ptr<ReviewWC> m_window;
};

}

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

std::vector<std::shared_ptr<OpenReviewWindow>> ReviewWindows::openWindows() const
{
    std::vector<std::shared_ptr<OpenReviewWindow>> views;
    for (const auto& window : m_windows) {
        if (!window->isClosed())
            views.push_back(std::make_shared<ShellView>(window));
    }
    return views;
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
