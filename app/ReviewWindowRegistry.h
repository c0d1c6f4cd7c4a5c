#pragma once

#include "platform/ui/Color.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw::ui {
class WebView;
}

namespace ikw {

// One open review window as the shell's appearance handling sees it.
class OpenReviewWindow {
public:
    virtual ~OpenReviewWindow() = default;
    virtual bool isReader() const = 0;
    virtual bool isOpenSurface() const = 0;
    // Evaluates a script in the window's page; its result is not wanted.
    virtual void evaluate(const std::string& script) = 0;
    // The colour behind the window's content and behind its page.
    virtual void setBackground(const ui::Color& color) = 0;
};

// The open review windows, as the application shell sees them. The review layer (above the shell)
// owns the windows and implements this; the delegate holds it through this interface so that the
// shell never depends on the review window's type.
class ReviewWindowRegistry {
public:
    virtual ~ReviewWindowRegistry() = default;

    virtual bool isEmpty() const = 0;
    virtual bool hasVisibleWindow() const = 0;
    // A new review window showing a page file (nothing: the loading text); as a tab of the window
    // of `tabbingHost` when given.
    virtual void openPage(const std::optional<std::string>& pagePath, const ui::WebView* tabbingHost) = 0;
    // Shows a page as the home page of the review window whose view is `web`; false when no open
    // review window has that view (a panel's, say).
    virtual bool showHome(const ui::WebView& web, const std::optional<std::string>& pagePath) = 0;
    // A new review window running a review of the paths.
    virtual void openReview(const std::vector<std::string>& paths) = 0;
    // The open review windows, in the order they opened (none in a registry that shows no pages).
    virtual std::vector<std::shared_ptr<OpenReviewWindow>> openWindows() const { return {}; }
};

}
