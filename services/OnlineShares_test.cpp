// Online shares on review windows with the page bridge: the boot script and token pushes, the
// share and shares actions with their sign-in first, and the file manager's share request.
#include "services/FinderShare.h"
#include "services/IkwOnline.h"
#include "services/OnlineShares.h"

#include "platform/core/WorkQueue.h"
#include "platform/http/fake/FakeHttpClient.h"
#include "platform/secrets/fake/FakeSecretStore.h"
#include "review/PageBridgeTestFixture.h"
#include "review/UrlQuery.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ikw::services {
namespace {

using http::FakeHttpClient;

const std::string kHub = "https://account.example.test";
const secrets::SecretKey kToken { "com.norvale.inkwarden.account", "token" };
const secrets::SecretKey kEmail { "com.norvale.inkwarden.account", "email" };

class OnlineSharesTest : public ikw::testing::PageBridgeFixture {
protected:
    void stored(const std::string& token, const std::string& email)
    {
        keyring->save(kToken, token);
        keyring->save(kEmail, email);
        account->loadStored();
        background.waitUntilIdle();
    }

    int evaluatedCount(const std::string& text, ReviewWC* in = nullptr)
    {
        const auto& scripts = viewOf(in ? *in : *window).evaluated;
        return static_cast<int>(std::count_if(scripts.begin(), scripts.end(), [&](const std::string& s) { return s.find(text) != std::string::npos; }));
    }

    // Answers the open sign-in page: with a code, with a refusal, or not at all (a newer sign-in
    // replaces it, which is how a cancel looks).
    void answerSignIn(const std::string& reply)
    {
        http->answer("POST", kHub + "/native/token", FakeHttpClient::ok(reply));
        const auto state = urlQuery(toolkit.fakeWorkspace.openedUrls.back(), "state").value_or("");
        sessions.deliver("inkwarden://auth?state=" + state + "&code=c");
        background.waitUntilIdle();
        queue.drain();
    }

    WorkQueue background { "test.account" };
    ui::WebAuthSessions sessions { toolkit.fakeWorkspace };
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
    std::vector<std::string> recorded;
    std::shared_ptr<ReviewWC> key;
    ShareHooks hooks {
        .account = [this] { return account; },
        .keyReviewWC = [this] { return key; },
        .record = [this](const std::string& id) { recorded.push_back(id); },
        .funnel = [this](const std::string& flow, const std::string& step) { recorded.push_back(flow + ":" + step); },
        .broadcastToken = [this] { IkwOnline::broadcastToken(account.get(), windows.windows()); },
    };
};

TEST_F(OnlineSharesTest, TheBootScriptAndThePushCarryTheUsableAccount)
{
    const std::string fixed = "window.InkwardenNative = Object.assign(window.InkwardenNative || {}, { platform: 'mac', oauth: true });\n"
                              "window.INKWARDEN = window.INKWARDEN || {};\n"
                              "window.INKWARDEN.online = { enabled: true, endpoint: 'https://share.inkwarden.app', shareHost: 's.inkwarden.app', maxBytes: 50000000 };\n";
    EXPECT_EQ(IkwOnline::bootJS(account.get()), fixed + R"(window.__IKW_ACCT_BOOT = { token: "", email: "" };)");
    EXPECT_EQ(IkwOnline::pushTokenJS(account.get()), R"(if(window.InkwardenAccount&&InkwardenAccount._set)InkwardenAccount._set("","");)");

    stored("tok", "me@example.test");
    EXPECT_EQ(IkwOnline::bootJS(account.get()), fixed + R"(window.__IKW_ACCT_BOOT = { token: "tok", email: "me@example.test" };)");
    EXPECT_EQ(IkwOnline::pushTokenJS(account.get()), R"(if(window.InkwardenAccount&&InkwardenAccount._set)InkwardenAccount._set("tok","me@example.test");)");

    stored("eyJleHAiOjF9.sig", "me@example.test"); // {"exp":1}: expired
    EXPECT_EQ(IkwOnline::pushTokenJS(account.get()), R"(if(window.InkwardenAccount&&InkwardenAccount._set)InkwardenAccount._set("","me@example.test");)");

    stored("tok", "o'k\"\n</script>");
    EXPECT_EQ(IkwOnline::pushTokenJS(account.get()), R"(if(window.InkwardenAccount&&InkwardenAccount._set)InkwardenAccount._set("tok","o'k\"\n<\/script>");)");
}

TEST_F(OnlineSharesTest, ABroadcastReachesEveryReviewWindow)
{
    const auto other = windows.open(page);
    stored("tok", "me@example.test");
    IkwOnline::broadcastToken(account.get(), windows.windows());
    for (ReviewWC* each : { window.get(), other.get() })
        EXPECT_EQ(evaluatedCount(R"(InkwardenAccount._set("tok","me@example.test"))", each), 1);
}

TEST_F(OnlineSharesTest, ASignedOutShareSignsInFirst)
{
    window->isReader = true;
    key = window;
    shareOnlineFromMenu(hooks);
    EXPECT_EQ(recorded, (std::vector<std::string> { "share.menu", "share:invoked", "share.signin_required" }));
    EXPECT_EQ(evaluatedCount("shareCurrent"), 0);
    answerSignIn(R"({"account_token":"t","email":"e"})");
    EXPECT_EQ(evaluatedCount(kShareCurrentJS), 1);
    EXPECT_EQ(recorded.back(), "share:signin");
    EXPECT_EQ(evaluatedCount(R"(InkwardenAccount._set("t","e"))"), 1);

    // Signed in: straight to the page.
    recorded.clear();
    shareOnline(*window, "contextmenu", hooks);
    EXPECT_EQ(recorded, (std::vector<std::string> { "share.contextmenu", "share:invoked", "share:signin" }));
    EXPECT_EQ(evaluatedCount(kShareCurrentJS), 2);
}

TEST_F(OnlineSharesTest, AFailedOrCancelledSignInSharesNothing)
{
    window->isReader = true;
    shareOnline(*window, "menu", hooks);
    answerSignIn(R"({"error":"Code expired"})");
    EXPECT_EQ(evaluatedCount("Sign-in failed: Code expired"), 1);

    shareOnline(*window, "menu", hooks);
    recorded.clear();
    shareOnline(*window, "menu", hooks); // replaces the open sign-in, which ends as cancelled
    queue.drain();
    EXPECT_NE(std::find(recorded.begin(), recorded.end(), "share.signin_cancelled"), recorded.end());
    EXPECT_EQ(evaluatedCount(kShareCurrentJS), 0);
}

TEST_F(OnlineSharesTest, TheMenuActionsNeedTheRightWindow)
{
    key = window; // not a reader
    shareOnlineFromMenu(hooks);
    EXPECT_TRUE(recorded.empty());
    EXPECT_TRUE(toolkit.fakeWorkspace.openedUrls.empty());

    key = nullptr;
    myOnlineShares(hooks);
    EXPECT_TRUE(recorded.empty());

    key = window;
    myOnlineShares(hooks); // signed out: sign in first
    EXPECT_EQ(evaluatedCount(kOpenSharesJS), 0);
    answerSignIn(R"({"account_token":"t","email":"e"})");
    EXPECT_EQ(evaluatedCount(kOpenSharesJS), 1);
    myOnlineShares(hooks);
    EXPECT_EQ(evaluatedCount(kOpenSharesJS), 2);
    EXPECT_EQ(recorded, (std::vector<std::string> { "shares.open", "shares.open" }));
}

class FinderShareTest : public OnlineSharesTest {
protected:
    FinderShareHooks finderHooks()
    {
        return FinderShareHooks {
            .noteDidOpen = [this] { steps.push_back("didOpen"); },
            .runEngine = [this](const std::string& path) { steps.push_back("run " + path); },
            .windows = [this] { return windows.windows(); },
            .present = [this](ReviewWC& review) {
                steps.push_back("present " + review.sourcePaths.front());
                for (const auto& open : windows.windows()) // the window manager hands it the focus
                    if (open.get() == &review)
                        key = open;
            },
            .keyReviewWC = [this] { return key; },
            .share = [this](ReviewWC& reader) { shared.push_back({ queue.now(), reader.sourcePaths.front() }); },
        };
    }
    std::shared_ptr<ReviewWC> reader(const std::string& path)
    {
        auto opened = windows.open(page);
        opened->isReader = true;
        opened->sourcePaths = { path };
        return opened;
    }

    std::vector<std::string> steps;
    std::vector<std::pair<double, std::string>> shared;
};

TEST_F(FinderShareTest, TheRequestedReaderIsBroughtToTheFrontAndSharedOnceItIsKey)
{
    const std::string path = home.file("Docs/contract.pdf");
    const auto otherReader = reader(home.file("Docs/other.pdf"));
    key = otherReader; // another document is in front while the requested one opens
    const double start = queue.now();
    finderShare("~/Docs/./contract.pdf", finderHooks());
    EXPECT_EQ(steps, (std::vector<std::string> { "didOpen", "run ~/Docs/./contract.pdf" }));
    queue.advance(2.0);
    EXPECT_TRUE(shared.empty());
    reader(path); // opens behind the other reader
    queue.advance(10);
    ASSERT_EQ(shared.size(), 1u);
    EXPECT_NEAR(shared[0].first - start, 2.3, 1e-6); // the 4th try: 0.8, 1.3, 1.8, 2.3 s
    EXPECT_EQ(shared[0].second, path);
    EXPECT_EQ(steps.back(), "present " + path);
}

TEST_F(FinderShareTest, AReaderOpenedAtOnceIsPresentedAtOnceAndSharedAtTheFirstTry)
{
    const std::string path = home.file("Docs/contract.pdf");
    key = reader(home.file("Docs/other.pdf"));
    auto hooks = finderHooks();
    hooks.runEngine = [this](const std::string& opened) { reader(opened); };
    const double start = queue.now();
    finderShare(path, hooks);
    EXPECT_EQ(steps, (std::vector<std::string> { "didOpen", "present " + path }));
    queue.advance(10);
    ASSERT_EQ(shared.size(), 1u);
    EXPECT_NEAR(shared[0].first - start, 0.8, 1e-6);
    EXPECT_EQ(steps.size(), 2u) << "presented once";
}

TEST_F(FinderShareTest, WithoutTheReaderTheRequestEndsAfterTwelveTries)
{
    int tries = 0;
    auto hooks = finderHooks();
    hooks.keyReviewWC = [&tries, this] {
        ++tries;
        return key;
    };
    key = reader(home.file("Docs/other.pdf"));
    finderShare(home.file("Docs/missing.pdf"), hooks);
    queue.advance(6.3 + 1e-9);
    EXPECT_EQ(tries, 12);
    queue.advance(30);
    EXPECT_EQ(tries, 12);
    EXPECT_TRUE(shared.empty());
}

}
}
