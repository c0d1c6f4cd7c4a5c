#include "finder/DefaultAppActions.h"

#include "finder/DefaultAskSchedule.h"
#include "platform/core/Json.h"
#include "review/PanelRouter.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

#include <glib.h>

namespace ikw::finder {

namespace {

std::string lowercase(const std::string& text)
{
    gchar* lower = g_utf8_strdown(text.c_str(), static_cast<gssize>(text.size()));
    std::string result = lower ? lower : text;
    g_free(lower);
    return result;
}

std::string toastScript(const std::string& message)
{
    return "if(window.__ikwToast){__ikwToast(" + jsQuote(message) + ")}";
}

// The page that asked, as long as its window and its view are both still there.
struct AskingPage {
    std::weak_ptr<ReviewWC> window;
    std::weak_ptr<ui::WebView> web;

    explicit AskingPage(ReviewWC& asking) : window(asking.weak_from_this()), web(asking.web) {}
    // Evaluates in the page; false when the page is gone.
    ui::WebView* live() const
    {
        const auto controller = window.lock();
        const auto view = web.lock();
        return controller && view && !controller->isClosed() ? view.get() : nullptr;
    }
};

}

std::string viewerOutcomeMessage(const std::string& brandName, bool ok, ClaimCounts counts)
{
    if (ok)
        return brandName + " now opens every document type it supports.";
    if (counts.held < 1)
        return "The system declined the change. You can set it anytime in Settings \u2192 Default apps, or Get Info on a file \u2192 Open with \u2192 Change All.";
    return brandName + " is the default for " + std::to_string(counts.held) + " of " + std::to_string(counts.total)
        + " types. The rest are in Settings \u2192 Default apps.";
}

std::string groupOutcomeMessage(const std::string& brandName, const std::string& groupName, bool ok)
{
    if (ok)
        return brandName + " now opens " + lowercase(groupName) + "s.";
    return "The system declined that change. Get Info on a file \u2192 Open with \u2192 Change All also works.";
}

void registerDefaultAppActions(UrlActions& actions, PanelActions& panelActions, DefaultAppActionServices services)
{
    const auto shared = std::make_shared<const DefaultAppActionServices>(std::move(services));
    actions.add("defaultpdf", [shared](const UrlAction& action) {
        const auto claims = shared->claims();
        if (!claims)
            return;
        UserDefaults defaults = shared->userDefaults();
        if (!defaultAskDue(defaults, shared->now(), [&] { return claims->isDefaultViewerApp(); }))
            return;
        const auto [held, total] = claims->claimedCounts();
        action.answer("if(window.ikwOfferDefault){ikwOfferDefault(" + std::to_string(held) + "," + std::to_string(total) + ")}");
    });
    actions.add({ "setdefaultpdf", "setdefaultall" }, [shared](const UrlAction& action) {
        const auto claims = shared->claims();
        if (!claims)
            return;
        action.answer("if(window.__ikwDefaultBusy){__ikwDefaultBusy(true)}");
        const AskingPage page(action.window);
        claims->makeDefaultViewerApp([shared, page, weakClaims = std::weak_ptr(claims)](bool ok) {
            ui::WebView* web = page.live();
            const auto stillThere = weakClaims.lock();
            if (!web || !stillThere)
                return;
            web->evaluate("if(window.__ikwDefaultBusy){__ikwDefaultBusy(false)}");
            web->evaluate("if(window.ikwHideDefault){ikwHideDefault()}");
            web->evaluate(toastScript(viewerOutcomeMessage(shared->brandName, ok, stillThere->claimedCounts())));
            if (!ok) {
                UserDefaults defaults = shared->userDefaults();
                snoozeDefaultAsk(defaults, shared->now());
            }
        });
    });
    actions.add("setdefaultgroup", [shared](const UrlAction& action) {
        const auto claims = shared->claims();
        const auto name = action.item("name");
        if (!claims || !name)
            return;
        const AskingPage page(action.window);
        claims->makeDefaultForGroup(*name, [shared, page, name = *name](bool ok) {
            if (ui::WebView* web = page.live())
                web->evaluate(toastScript(groupOutcomeMessage(shared->brandName, name, ok)));
        });
    });
    actions.add({ "defaultpdfdismiss", "defaultsnooze" }, [shared](const UrlAction&) {
        if (!shared->claims())
            return;
        UserDefaults defaults = shared->userDefaults();
        snoozeDefaultAsk(defaults, shared->now());
    });
    panelActions.add("setdefaultpdf", [shared](const PanelAction&) {
        if (const auto claims = shared->claims())
            claims->makeDefaultPDFApp();
    });
}

}
