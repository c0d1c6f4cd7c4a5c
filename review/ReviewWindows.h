#pragma once

#include "app/ReviewWindowRegistry.h"
#include "review/ReviewWC.h"

#include <memory>
#include <vector>

namespace ikw {

// The application's list of open review windows. A window leaves the list when it has closed, so
// the list never keeps a closed window's web view alive. Main thread only.
class ReviewWindows final : public ReviewWindowRegistry {
public:
    // Takes over `services.closed`; the services must outlive the list.
    explicit ReviewWindows(ReviewServices& services);
    ReviewWindows(const ReviewWindows&) = delete;
    ReviewWindows& operator=(const ReviewWindows&) = delete;

    bool isEmpty() const override { return m_windows.empty(); }
    bool hasVisibleWindow() const override;
    void openPage(const std::optional<std::string>& pagePath, const ui::WebView* tabbingHost) override;
    bool showHome(const ui::WebView& web, const std::optional<std::string>& pagePath) override;
    void openReview(const std::vector<std::string>& paths) override;
    std::vector<std::shared_ptr<OpenReviewWindow>> openWindows() const override;

    // A new window on a page, kept in the list; as a tab of `host`'s window when given.
    std::shared_ptr<ReviewWC> open(const std::optional<std::string>& pagePath, ReviewWC* host = nullptr);
    std::shared_ptr<ReviewWC> find(const ui::WebView& web) const;
    const std::vector<std::shared_ptr<ReviewWC>>& windows() const { return m_windows; }

private:
    void remove(const ReviewWC& window);

    ReviewServices& m_services;
    std::vector<std::shared_ptr<ReviewWC>> m_windows;
};

}
