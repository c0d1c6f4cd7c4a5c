#pragma once

#include "services/IkwAccount.h"

#include <functional>
#include <memory>
#include <string>

namespace ikw {
class MenuCommands;
class PanelActions;
class ReviewWC;
class ScriptMessages;
}

namespace ikw::services {

// What the account's entries reach around them. Every entry is optional.
struct AccountHooks {
    // The process's account (none: the entries do nothing).
    std::function<std::shared_ptr<IkwAccount>()> account = [] { return services::account(); };
    // The review the user works in, where the action's toasts go.
    std::function<std::shared_ptr<ReviewWC>()> keyReviewWC;
    // Counts a usage event.
    std::function<void(const std::string& id)> record;
    // Hands the pages the current token (after every sign-in outcome and sign-out).
    std::function<void()> broadcastToken;
};

// The settings panel's account status: {"signedIn","email","hub"}, compact; "{}" without an
// account.
std::string accountStatusJSON(const IkwAccount* account);

// The account action of the menu and the settings panel: signs in when no usable token exists,
// else signs out; the outcome is toasted in the key review window. Main thread.
void signOutAccount(const AccountHooks& hooks);

// The page messages "acct-signin" and "acct-signout".
void registerAccountMessages(ScriptMessages& messages, AccountHooks hooks);
// The settings panel's "account" action.
void registerAccountPanelAction(PanelActions& actions, AccountHooks hooks);
// The menu command "signOutAccount:", titled by whether a usable token exists.
void registerAccountMenuCommand(MenuCommands& commands, AccountHooks hooks);

inline constexpr const char* kSignInTitle = "Sign In to Norvale Account\u2026";
inline constexpr const char* kSignOutTitle = "Sign Out of Norvale Account";

}
