#include "services/AccountActions.h"

#include "app/MenuCommands.h"
#include "platform/core/Json.h"
#include "review/PanelRouter.h"
#include "review/ReviewWC.h"
#include "review/ScriptMessages.h"

namespace ikw::services {

namespace {

void toastIn(const AccountHooks& hooks, const std::string& message)
{
    if (!hooks.keyReviewWC)
        return;
    if (const auto review = hooks.keyReviewWC())
        review->toastJS(message);
}

void broadcast(const AccountHooks& hooks)
{
    if (hooks.broadcastToken)
        hooks.broadcastToken();
}

std::string signInDoneScript(bool signedIn, const std::string& error)
{
    return std::string("if(window.InkwardenAccount&&InkwardenAccount._signInDone)InkwardenAccount._signInDone(")
        + (signedIn ? "true" : "false") + "," + jsQuote(error) + ");";
}

void signInFromAction(const AccountHooks& hooks, IkwAccount& account)
{
    std::weak_ptr<ui::Window> from;
    if (hooks.keyReviewWC) {
        if (const auto review = hooks.keyReviewWC())
            from = review->sharedWindow();
    }
    account.signIn(from, [hooks, weakAccount = std::weak_ptr(account.shared_from_this())](
                             std::optional<std::string> token, std::optional<std::string> error) {
        broadcast(hooks);
        if (token) {
            const auto signedIn = weakAccount.lock();
            toastIn(hooks, "Signed in as " + (signedIn ? signedIn->email() : std::string()));
        } else if (error) {
            toastIn(hooks, "Sign-in failed: " + *error);
        }
    });
}

}

std::string accountStatusJSON(const IkwAccount* account)
{
    if (!account)
        return "{}";
    try {
        return toJson(Json {
            { "signedIn", account->token().has_value() },
            { "email", account->email() },
            { "hub", account->hub() },
        });
    } catch (const std::exception&) {
        // An e-mail that is not UTF-8 cannot be written as JSON.
        return "{}";
    }
}

void signOutAccount(const AccountHooks& hooks)
{
    const auto account = hooks.account ? hooks.account() : nullptr;
    if (!account)
        return;
    if (!account->token()) {
        signInFromAction(hooks, *account);
        return;
    }
    const std::string email = account->email();
    if (hooks.record)
        hooks.record("account.signout");
    account->signOut();
    broadcast(hooks);
    toastIn(hooks, email.empty() ? std::string("Signed out of your Norvale account") : "Signed out of " + email);
}

void registerAccountMessages(ScriptMessages& messages, AccountHooks hooks)
{
    messages.add("acct-signin", [hooks](const ScriptMessage& message) {
        const auto account = hooks.account ? hooks.account() : nullptr;
        if (!account) {
            message.window.evaluate(signInDoneScript(false, "Accounts are not available"));
            return;
        }
        account->signIn(message.window.sharedWindow(), [hooks, page = message.window.weak_from_this()](
                                                           std::optional<std::string> token, std::optional<std::string> error) {
            broadcast(hooks);
            const auto review = page.lock();
            if (!review)
                return;
            if (error)
                review->toastJS("Sign-in failed: " + *error);
            review->evaluate(signInDoneScript(token.has_value(), error.value_or("")));
        });
    });
    messages.add("acct-signout", [hooks](const ScriptMessage&) {
        if (const auto account = hooks.account ? hooks.account() : nullptr)
            account->signOut();
        broadcast(hooks);
    });
}

void registerAccountPanelAction(PanelActions& actions, AccountHooks hooks)
{
    actions.add("account", [hooks](const PanelAction&) { signOutAccount(hooks); });
}

void registerAccountMenuCommand(MenuCommands& commands, AccountHooks hooks)
{
    commands.add(
        "signOutAccount:", [hooks](const MenuUse&) { signOutAccount(hooks); },
        [hooks](const MenuUse&) {
            const auto account = hooks.account ? hooks.account() : nullptr;
            ui::MenuItemState state;
            state.enabled = account != nullptr;
            state.title = account && account->token() ? kSignOutTitle : kSignInTitle;
            return state;
        });
}

}
