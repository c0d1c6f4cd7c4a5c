#include "services/OnlineShares.h"

#include "app/MenuCommands.h"
#include "review/ReviewWC.h"

namespace ikw::services {

namespace {

void record(const ShareHooks& hooks, const std::string& id)
{
    if (hooks.record)
        hooks.record(id);
}

void funnel(const ShareHooks& hooks, const std::string& step)
{
    if (hooks.funnel)
        hooks.funnel("share", step);
}

void broadcast(const ShareHooks& hooks)
{
    if (hooks.broadcastToken)
        hooks.broadcastToken();
}

std::shared_ptr<IkwAccount> accountOf(const ShareHooks& hooks)
{
    return hooks.account ? hooks.account() : nullptr;
}

// Signs in from the window, then runs `signedIn` in it; the completion keeps the window alive.
void signInThen(IkwAccount& account, const std::shared_ptr<ReviewWC>& window, const ShareHooks& hooks,
    std::function<void(ReviewWC&)> signedIn, std::function<void()> cancelled)
{
    account.signIn(window->sharedWindow(), [window, hooks, signedIn = std::move(signedIn), cancelled = std::move(cancelled)](
                                                std::optional<std::string> token, std::optional<std::string> error) {
        broadcast(hooks);
        if (token)
            signedIn(*window);
        else if (error)
            window->toastJS("Sign-in failed: " + *error);
        else if (cancelled)
            cancelled();
    });
}

}

void shareOnline(ReviewWC& window, const std::string& from, const ShareHooks& hooks)
{
    if (!window.isReader)
        return;
    record(hooks, "share." + from);
    funnel(hooks, "invoked");
    const auto account = accountOf(hooks);
    if (account && account->token()) {
        funnel(hooks, "signin");
        window.evaluate(kShareCurrentJS);
        return;
    }
    record(hooks, "share.signin_required");
    if (!account)
        return;
    signInThen(
        *account, window.shared_from_this(), hooks,
        [hooks](ReviewWC& signedIn) {
            record(hooks, "share.signin_done");
            funnel(hooks, "signin");
            signedIn.evaluate(kShareCurrentJS);
        },
        [hooks] { record(hooks, "share.signin_cancelled"); });
}

void shareOnlineFromMenu(const ShareHooks& hooks)
{
    const auto review = hooks.keyReviewWC ? hooks.keyReviewWC() : nullptr;
    if (review && review->isReader)
        shareOnline(*review, "menu", hooks);
}

void myOnlineShares(const ShareHooks& hooks)
{
    const auto review = hooks.keyReviewWC ? hooks.keyReviewWC() : nullptr;
    if (!review)
        return;
    record(hooks, "shares.open");
    const auto account = accountOf(hooks);
    if (account && account->token()) {
        review->evaluate(kOpenSharesJS);
        return;
    }
    if (account)
        signInThen(*account, review, hooks, [](ReviewWC& signedIn) { signedIn.evaluate(kOpenSharesJS); }, {});
}

void registerShareMenuCommands(MenuCommands& commands, ShareHooks hooks)
{
    commands.add("shareOnline:", [hooks](const MenuUse&) { shareOnlineFromMenu(hooks); });
    commands.add("myOnlineShares:", [hooks](const MenuUse&) { myOnlineShares(hooks); });
}

}
