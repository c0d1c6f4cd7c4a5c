#pragma once

#include "platform/core/Json.h"
#include "review/ReviewWindows.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// How commands find the current window, document and folder. Every lookup skips closed windows.
//
// The key window is the visible review window with the keyboard focus, else the one the
// application had focused last (the main window); only when neither is a review window does the
// newest visible review window stand for it. A window's selected tab is the review in it.
namespace ikw::library {

// New review windows become tabs unless "open_in" is exactly "window".
bool openInTabs(const Json& settings);

// The host for new tabs.
std::shared_ptr<ReviewWC> keyReview(const ReviewWindows& windows);
// The review the user works in.
std::shared_ptr<ReviewWC> keyReviewWC(const ReviewWindows& windows);
std::shared_ptr<ReviewWC> frontReviewWC(const ReviewWindows& windows);
// A folder or set review (not a reader, not a special-purpose window).
std::shared_ptr<ReviewWC> frontBrowseWC(const ReviewWindows& windows);

// The first source path of the key (front) review when it is an existing file.
std::optional<std::string> currentDocPath(const ReviewWindows& windows);
std::optional<std::string> frontDocPath(const ReviewWindows& windows);
// The key review's folder: its first source path when that is a folder, else the path's parent.
std::optional<std::string> currentLibraryRoot(const ReviewWindows& windows);

// The open readers, oldest first.
std::vector<std::shared_ptr<ReviewWC>> readerWindows(const ReviewWindows& windows);
// The first visible reader of `path` (compared as Unicode text: a decomposed accent finds the
// reader opened on the composed spelling).
std::shared_ptr<ReviewWC> focusExistingReader(const ReviewWindows& windows, const std::string& path);
// Selects the review's tab and brings its window to the front.
void bringToFront(ReviewWC& review);

bool isBrowseWindow(const ReviewWC& window);

}
