#include "finder/DefaultAppActions.h"

#include "finder/DefaultAppsTestFixture.h"
#include "finder/DefaultAskSchedule.h"
#include "platform/core/Iso8601.h"
#include "review/PanelRouter.h"
#include "review/UrlActions.h"

#include <gtest/gtest.h>

namespace ikw::finder {
namespace {

using Claim = testing::FakeDefaultApplications::Claim;
using Names = std::vector<std::string>;

constexpr std::time_t kNow = 1'800'000'000;

class DefaultAppActionsTest : public testing::DefaultAppsFixture {
protected:
    DefaultAppActionsTest()
    {
        registerDefaultAppActions(actions, panelActions, {
            .claims = [this] { return claims; },
            .userDefaults = [this] { return defaults(); },
            .now = [] { return kNow; },
            .brandName = "Inkwarden",
        });
        window = windows.open(std::nullopt);
    }

    UserDefaults defaults() const { return UserDefaults(home.file("defaults.json")); }
    void send(const std::string& host, const std::string& query = "")
    {
        actions.dispatch(host, UrlAction { *window, "qeliz://" + host + (query.empty() ? "" : "?" + query) });
    }
    const Names& evaluated() { return viewOf(*window).evaluated; }

    UrlActions actions;
    PanelActions panelActions;
    std::shared_ptr<ReviewWC> window;
};

std::string toast(const std::string& message)
{
    return "if(window.__ikwToast){__ikwToast(" + jsQuote(message) + ")}";
}

TEST_F(DefaultAppActionsTest, TheOfferIsMadeOnlyWhenDue)
{
    makeOurs("application/pdf");
    send("defaultpdf");
    EXPECT_EQ(scripts(window->webView(), "ikwOfferDefault"), Names { "if(window.ikwOfferDefault){ikwOfferDefault(1,4)}" });

    UserDefaults stored = defaults();
    snoozeDefaultAsk(stored, kNow);
    send("defaultpdf");
    EXPECT_EQ(scripts(window->webView(), "ikwOfferDefault").size(), 1u);

    claims.reset();
    stored.remove(kDefaultNextAskAtKey);
    send("defaultpdf");
    EXPECT_EQ(scripts(window->webView(), "ikwOfferDefault").size(), 1u) << "without the claims nothing answers";
}

TEST_F(DefaultAppActionsTest, SnoozingAndDismissingWriteTheDateThirtyDaysAhead)
{
    for (const char* host : { "defaultsnooze", "defaultpdfdismiss" }) {
        SCOPED_TRACE(host);
        defaults().remove(kDefaultNextAskAtKey);
        send(host);
        EXPECT_EQ(defaults().string(kDefaultNextAskAtKey), iso8601Utc(kNow + 2'592'000));
    }
}

TEST_F(DefaultAppActionsTest, ReviewPageSetDefaultPdfClaimsEveryTypeThenReports)
{
    send("setdefaultpdf");
    EXPECT_EQ(evaluated().back(), "if(window.__ikwDefaultBusy){__ikwDefaultBusy(true)}");
    queue.drain();
    EXPECT_EQ(desktop.calls, (Names { "application/pdf", "text/plain", "text/markdown", "image/png" }));
    const Names tail(evaluated().end() - 3, evaluated().end());
    EXPECT_EQ(tail, (Names { "if(window.__ikwDefaultBusy){__ikwDefaultBusy(false)}", "if(window.ikwHideDefault){ikwHideDefault()}",
                        toast("Inkwarden now opens every document type it supports.") }));
    EXPECT_FALSE(defaults().value(kDefaultNextAskAtKey)) << "success does not snooze";
    EXPECT_EQ(reloads, 1);
}

TEST_F(DefaultAppActionsTest, APartialClaimSaysHowManyAndSnoozes)
{
    desktop.behaviour = { { "text/plain", Claim::Refused }, { "image/png", Claim::Refused } };
    send("setdefaultall");
    queue.drain();
    EXPECT_EQ(evaluated().back(), toast("Inkwarden is the default for 2 of 4 types. The rest are in Settings \u2192 Default apps."));
    EXPECT_EQ(defaults().string(kDefaultNextAskAtKey), iso8601Utc(kNow + 2'592'000));
}

TEST_F(DefaultAppActionsTest, SettingsPanelSetDefaultPdfClaimsPdfAloneAndReloads)
{
    const auto settings = makePanel("settings");
    panelActions.dispatch("setdefaultpdf", PanelAction { *settings, "qeliz://setdefaultpdf" });
    queue.drain();
    EXPECT_EQ(desktop.calls, Names { "application/pdf" });
    EXPECT_EQ(reloads, 1);
    EXPECT_TRUE(scripts(settings->web(), "__ikwToast").empty());
}

TEST_F(DefaultAppActionsTest, GroupOutcomeNamesTheGroup)
{
    send("setdefaultgroup", "name=Image");
    queue.drain();
    EXPECT_EQ(desktop.calls, Names { "image/png" });
    EXPECT_EQ(evaluated().back(), toast("Inkwarden now opens images."));

    send("setdefaultgroup", "name=Spreadsheet");
    queue.drain();
    EXPECT_EQ(evaluated().back(), toast("The system declined that change. Get Info on a file \u2192 Open with \u2192 Change All also works."));

    const auto before = evaluated().size();
    send("setdefaultgroup");
    queue.drain();
    EXPECT_EQ(evaluated().size(), before);
}

TEST_F(DefaultAppActionsTest, AWindowClosedBeforeTheOutcomeGetsNothingButTheSettingsReload)
{
    desktop.behaviour = { { "image/png", Claim::NeverShows } };
    const auto web = window->web;
    send("setdefaultall");
    queue.drain();
    window->closeTab();
    queue.advance(3.5);
    EXPECT_EQ(reloads, 1);
    EXPECT_TRUE(scripts(*web, "__ikwToast").empty());
    EXPECT_TRUE(scripts(*web, "__ikwDefaultBusy(false)").empty());
    EXPECT_FALSE(defaults().value(kDefaultNextAskAtKey)) << "no snooze without the page";
}

TEST(DefaultAppOutcomes, Messages)
{
    EXPECT_EQ(viewerOutcomeMessage("Inkwarden", false, { 0, 7 }),
        "The system declined the change. You can set it anytime in Settings \u2192 Default apps, or Get Info on a file \u2192 Open with \u2192 Change All.");
    EXPECT_EQ(viewerOutcomeMessage("Inkwarden", false, { 3, 7 }), "Inkwarden is the default for 3 of 7 types. The rest are in Settings \u2192 Default apps.");
    EXPECT_EQ(groupOutcomeMessage("Inkwarden", "PDF Document", true), "Inkwarden now opens pdf documents.");
    EXPECT_EQ(groupOutcomeMessage("Inkwarden", "Ÿ Übersicht", true), "Inkwarden now opens ÿ übersichts.");
}

}
}
