#pragma once

#include "services/IkwAccount.h"

#include <functional>
#include <memory>
#include <string>

namespace ikw {
class MenuCommands;
class ReviewWC;
}

namespace ikw::services {

// What the share actions reach around them. Every entry is optional.
struct ShareHooks {
    std::function<std::shared_ptr<IkwAccount>()> account = [] { return services::account(); };
    // The review the user works in.
    std::function<std::shared_ptr<ReviewWC>()> keyReviewWC;
    std::function<void(const std::string& id)> record;
    std::function<void(const std::string& flow, const std::string& step)> funnel;
    // Hands every review page the current account.
    std::function<void()> broadcastToken;
};

inline constexpr const char* kShareCurrentJS = "window.InkwardenShareOnline && InkwardenShareOnline.shareCurrent()";
inline constexpr const char* kOpenSharesJS = "window.InkwardenSharesOverlay && InkwardenSharesOverlay.open()";

// Starts an online share of the reader's document ("menu", "contextmenu" or "finderservice"
// says where it was asked for), signing in first when no usable token exists. Does nothing for
// a window that is not a reader. Main thread.
void shareOnline(ReviewWC& window, const std::string& from, const ShareHooks& hooks);
// The menu's "Share Online…": the key review when it is a reader.
void shareOnlineFromMenu(const ShareHooks& hooks);
// The menu's "My Online Shares…": the page's list of the user's shares in the key review.
void myOnlineShares(const ShareHooks& hooks);

// "shareOnline:" and "myOnlineShares:".
void registerShareMenuCommands(MenuCommands& commands, ShareHooks hooks);

}
