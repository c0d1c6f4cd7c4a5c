// The account as review pages learn it, in WebKitGTK under Xvfb: the boot values every page gets
// at document start, and the pushes after a sign-in, which reach every review page and no panel.
#include "services/AccountActions.h"
#include "services/IkwOnline.h"

#include "platform/core/Text.h"
#include "platform/core/WorkQueue.h"
#include "platform/http/fake/FakeHttpClient.h"
#include "platform/secrets/fake/FakeSecretStore.h"
#include "platform/ui/WebAuthSessions.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "review/PageBridge.h"
#include "review/Panels.h"
#include "review/ReviewOnScreenFixture.h"
#include "review/UrlQuery.h"

#include <gtest/gtest.h>

namespace ikw::services {
namespace {

using http::FakeHttpClient;

constexpr double kTimeout = 20;
const std::string kHub = "https://account.example.test";
const secrets::SecretKey kToken { "com.norvale.inkwarden.account", "token" };
const secrets::SecretKey kEmail { "com.norvale.inkwarden.account", "email" };

// A stand-in review page: it records every account push and can ask to sign in.
constexpr const char* kRecordingPage = R"(<html><head><script>
window.__pushes = [];
window.InkwardenAccount = { _set: function (token, email) { window.__pushes.push([token, email]); } };
</script></head><body>review</body></html>)";

class OnlineSharesOnScreen : public testing::ReviewOnScreenFixture {
protected:
    OnlineSharesOnScreen()
    {
        testing::writeTestFile(page, kRecordingPage);
        services.bootScript = [this] { return IkwOnline::bootJS(account.get()); };
        bridge = installPageBridge(services, {});
        registerAccountMessages(bridge->messages, AccountHooks {
            .account = [this] { return account; },
            .keyReviewWC = {},
            .record = {},
            .broadcastToken = [this] { IkwOnline::broadcastToken(account.get(), windows.windows()); },
        });
    }

    void stored(const std::string& token, const std::string& email)
    {
        keyring->save(kToken, token);
        keyring->save(kEmail, email);
        account->loadStored();
        background.waitUntilIdle();
    }

    std::shared_ptr<ReviewWC> openReview()
    {
        auto window = windows.open(page);
        EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return ask(*window, "document.body ? document.body.textContent : ''") == "review"; }, kTimeout));
        return window;
    }

    std::string pushesIn(ReviewWC& window) { return ask(window, "JSON.stringify(window.__pushes)"); }
    std::string bootIn(ReviewWC& window) { return ask(window, "JSON.stringify(window.__IKW_ACCT_BOOT || null)"); }

    const std::string page = joinPath(globals().archive, "review-page.html");
    WorkQueue background { "test.account" };
    ui::fake::FakeWorkspace workspace;
    ui::WebAuthSessions sessions { workspace };
    std::shared_ptr<FakeHttpClient> http = std::make_shared<FakeHttpClient>();
    std::shared_ptr<secrets::FakeSecretStore> keyring = std::make_shared<secrets::FakeSecretStore>("keyring");
    std::shared_ptr<IkwAccount> account = IkwAccount::create(AccountParts {
        .hub = kHub,
        .secrets = std::make_shared<secrets::SecretStoreChain>(std::vector<std::shared_ptr<secrets::SecretStore>> { keyring }),
        .http = http,
        .sessions = &sessions,
        .queue = &background,
        .now = [] { return 1'800'000'000.0; },
        .changed = {},
    });
    std::shared_ptr<PageBridge> bridge;
};

TEST_F(OnlineSharesOnScreen, AnAwkwardEmailStaysOneValidStatementInTheBootAndThePush)
{
    const std::string email = "o'k\"\n</script><b>x</b>@example.test";
    stored("tok", email);
    const std::string boot = IkwOnline::bootJS(account.get());
    auto window = openReview();

    // The page saw the exact values before its own scripts ran, and each boot line compiles alone.
    EXPECT_EQ(bootIn(*window), R"({"token":"tok","email":)" + Json(email).dump() + "}");
    const auto lines = split(boot, '\n', false);
    ASSERT_EQ(lines.size(), 4u);
    for (const auto& line : lines)
        EXPECT_EQ(ask(*window, "(function(){ try { new Function(" + jsQuote(line) + "); return 'ok'; } catch (e) { return String(e); } })()"), "ok") << line;

    window->evaluate(IkwOnline::pushTokenJS(account.get()));
    EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return pushesIn(*window) == Json::array({ Json::array({ "tok", email }) }).dump(); }, kTimeout))
        << pushesIn(*window);
    EXPECT_EQ(ask(*window, "document.body.textContent"), "review") << "nothing of the e-mail reached the document";
}

TEST_F(OnlineSharesOnScreen, ASignInInOneWindowReachesEveryReviewPageAndNoPanel)
{
    auto first = openReview();
    auto second = openReview();
    EXPECT_EQ(bootIn(*first), R"({"token":"","email":""})");

    const auto panels = Panels::create(*toolkit);
    panels->openPanel("about");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return panels->visiblePanel("about") != nullptr; }, kTimeout));
    const auto panel = panels->visiblePanel("about");
    // The panel's page gets the same recorder once it is there.
    bool recorderInstalled = false;
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] {
        panel->web().evaluate(std::string("document.body && document.body.dataset.kind === 'about' ? (") + R"(window.__pushes = [],
            window.InkwardenAccount = { _set: function (t, e) { window.__pushes.push([t, e]); } }, 'ready') : '')",
            [&](ui::ScriptResult result) { recorderInstalled = result.value && *result.value == "ready"; });
        ui::gtk3::runMainLoopUntil([] { return false; }, 0.2);
        return recorderInstalled;
    }, kTimeout));

    // The second page asks; the browser answers; the exchange gives the account.
    http->answer("POST", kHub + "/native/token", FakeHttpClient::ok(R"({"account_token":"tok-2","email":"new@example.test"})"));
    second->evaluate("window.webkit.messageHandlers.inkwarden.postMessage({action: 'acct-signin'})");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return !workspace.openedUrls.empty(); }, kTimeout));
    ASSERT_TRUE(sessions.deliver("inkwarden://auth?state=" + urlQuery(workspace.openedUrls.back(), "state").value_or("") + "&code=c"));

    const std::string pushed = R"([["tok-2","new@example.test"]])";
    EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return pushesIn(*first) == pushed && pushesIn(*second) == pushed; }, kTimeout))
        << pushesIn(*first) << " " << pushesIn(*second);
    bool panelAnswered = false;
    std::string panelPushes;
    panel->web().evaluate("JSON.stringify(window.__pushes)", [&](ui::ScriptResult result) {
        panelAnswered = true;
        panelPushes = result.value && result.value->is_string() ? result.value->get<std::string>() : "";
    });
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return panelAnswered; }, kTimeout));
    EXPECT_EQ(panelPushes, "[]");

    // A window made afterwards boots with the new account.
    auto third = openReview();
    EXPECT_EQ(bootIn(*third), R"({"token":"tok-2","email":"new@example.test"})");
    EXPECT_EQ(pushesIn(*third), "[]");
}

}
}
