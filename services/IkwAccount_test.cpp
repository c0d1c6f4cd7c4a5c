#include "services/IkwAccount.h"

#include "platform/core/Base64.h"
#include "platform/core/WorkQueue.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/http/fake/FakeHttpClient.h"
#include "platform/secrets/fake/FakeSecretStore.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "review/UrlQuery.h"

#include <gtest/gtest.h>

#include <future>

namespace ikw::services {
namespace {

using http::FakeHttpClient;
using secrets::FakeSecretStore;
using secrets::SecretKey;
using secrets::SecretStatus;

constexpr double kNow = 1'800'000'000;
const std::string kHub = "https://account.example.test";
const SecretKey kToken { "com.norvale.inkwarden.account", "token" };
const SecretKey kEmail { "com.norvale.inkwarden.account", "email" };

struct Outcome {
    std::optional<std::string> token;
    std::optional<std::string> error;
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& outcome)
{
    return out << "token=" << outcome.token.value_or("(none)") << " error=" << outcome.error.value_or("(none)");
}

// A token whose payload is `claims`, in base64url without padding.
std::string tokenWith(const std::string& claims)
{
    std::string payload = encodeBase64(claims);
    for (char& c : payload)
        c = c == '+' ? '-' : c == '/' ? '_' : c;
    while (!payload.empty() && payload.back() == '=')
        payload.pop_back();
    return payload + ".signature";
}

class AccountTest : public ::testing::Test {
protected:
    std::shared_ptr<IkwAccount> makeAccount(std::string hub = kHub)
    {
        return IkwAccount::create(AccountParts {
            .hub = std::move(hub),
            .secrets = chain,
            .http = http,
            .sessions = &sessions,
            .queue = &background,
            .now = [] { return kNow; },
            .changed = [this] { ++changes; },
        });
    }

    // Runs `start` with a completion and waits for that completion on the main queue.
    Outcome await(const std::function<void(SignInCompletion)>& start)
    {
        std::optional<Outcome> outcome;
        start([&outcome](std::optional<std::string> token, std::optional<std::string> error) {
            outcome = Outcome { std::move(token), std::move(error) };
        });
        EXPECT_TRUE(main.runUntil([&] { return outcome.has_value(); })) << "no completion";
        return outcome.value_or(Outcome { std::nullopt, std::string("(no completion)") });
    }

    Outcome exchangeAnswered(http::HttpResponse response)
    {
        http->answer("POST", kHub + "/native/token", std::move(response));
        return await([this](SignInCompletion done) { account->exchange("one-time", std::move(done)); });
    }

    ManualMainQueue main;
    WorkQueue background { "test.account" };
    ui::fake::FakeWorkspace workspace;
    ui::WebAuthSessions sessions { workspace };
    std::shared_ptr<FakeHttpClient> http = std::make_shared<FakeHttpClient>();
    std::shared_ptr<FakeSecretStore> keyring = std::make_shared<FakeSecretStore>("keyring");
    std::shared_ptr<FakeSecretStore> file = std::make_shared<FakeSecretStore>("file");
    std::shared_ptr<secrets::SecretStoreChain> chain = std::make_shared<secrets::SecretStoreChain>(
        std::vector<std::shared_ptr<secrets::SecretStore>> { keyring, file });
    int changes = 0;
    std::shared_ptr<IkwAccount> account = makeAccount();
};

TEST_F(AccountTest, TheCallbackDecidesTheOutcome)
{
    const std::string state = "6F9619FF-8B86-D011-B42D-00CF4FC964FF";
    http->answer("POST", kHub + "/native/token", FakeHttpClient::ok(R"({"account_token":"tok","email":"a@b.c"})"));
    struct Case {
        const char* name;
        std::optional<std::string> url;
        std::optional<ui::WebAuthError> error;
        Outcome expected;
    };
    const std::string unverified = "Sign-in could not be verified";
    const Case cases[] = {
        { "cancelled", std::nullopt, ui::WebAuthError { true, "replaced" }, { std::nullopt, std::nullopt } },
        { "other error", std::nullopt, ui::WebAuthError { false, "The browser failed" }, { std::nullopt, "The browser failed" } },
        { "no address", std::nullopt, std::nullopt, { std::nullopt, "Sign-in did not complete" } },
        { "not an address", "inkwarden://auth?state=%zz bad", std::nullopt, { std::nullopt, "Sign-in did not complete" } },
        { "state in other case", "inkwarden://auth?state=6f9619ff-8b86-d011-b42d-00cf4fc964ff&code=c", std::nullopt, { std::nullopt, unverified } },
        { "no state", "inkwarden://auth?code=c", std::nullopt, { std::nullopt, unverified } },
        { "state without value", "inkwarden://auth?state&code=c", std::nullopt, { std::nullopt, unverified } },
        { "empty code", "inkwarden://auth?state=" + state + "&code=", std::nullopt, { std::nullopt, unverified } },
        { "no code", "inkwarden://auth?state=" + state, std::nullopt, { std::nullopt, unverified } },
        { "second state ignored", "inkwarden://auth?state=other&state=" + state + "&code=c", std::nullopt, { std::nullopt, unverified } },
        { "good", "inkwarden://auth?state=" + state + "&code=the%20code", std::nullopt, { "tok", std::nullopt } },
    };
    for (const Case& test : cases) {
        const auto before = http->requests().size();
        const Outcome outcome = await([&](SignInCompletion done) { account->finishSignIn(state, test.url, test.error, std::move(done)); });
        EXPECT_EQ(outcome, test.expected) << test.name;
        const auto requests = http->requests();
        EXPECT_EQ(requests.size(), before + (test.expected.token ? 1 : 0)) << test.name;
    }
    const auto sent = parseJson(http->requests().back().body).value_or(Json());
    EXPECT_EQ(sent, Json::parse(R"({"code":"the code","app":"inkwarden"})"));
}

TEST_F(AccountTest, ASignInOpensTheAuthorizePageAndItsCallbackCompletesIt)
{
    http->answer("POST", kHub + "/native/token", FakeHttpClient::ok(R"({"account_token":"tok","email":"me@example.test"})"));
    std::optional<Outcome> outcome;
    account->signIn({}, [&](std::optional<std::string> token, std::optional<std::string> error) { outcome = Outcome { token, error }; });
    ASSERT_EQ(workspace.openedUrls.size(), 1u);
    const std::string opened = workspace.openedUrls.front();
    EXPECT_TRUE(opened.starts_with(kHub + "/native/authorize?app=inkwarden&callback=inkwarden%3A%2F%2Fauth&state=")) << opened;
    const auto state = urlQuery(opened, "state").value_or("");
    EXPECT_EQ(state.size(), 36u);

    // A second sign-in ends the first as cancelled; the first one's state is no longer good.
    std::optional<Outcome> second;
    account->signIn({}, [&](std::optional<std::string> token, std::optional<std::string> error) { second = Outcome { token, error }; });
    main.drain();
    EXPECT_EQ(outcome, (Outcome { std::nullopt, std::nullopt }));
    const auto newState = urlQuery(workspace.openedUrls.back(), "state").value_or("");
    EXPECT_NE(newState, state);

    EXPECT_TRUE(sessions.deliver("inkwarden://auth?state=" + newState + "&code=abc"));
    ASSERT_TRUE(main.runUntil([&] { return second.has_value(); }));
    EXPECT_EQ(second, (Outcome { "tok", std::nullopt }));
    EXPECT_EQ(account->token(), "tok");
    EXPECT_EQ(account->email(), "me@example.test");
    // No session waits any more: a late callback is ignored.
    EXPECT_FALSE(sessions.deliver("inkwarden://auth?state=" + newState + "&code=abc"));
}

TEST_F(AccountTest, ASignInThatCannotStartSaysSo)
{
    workspace.opens = false;
    std::optional<Outcome> outcome;
    account->signIn({}, [&](std::optional<std::string> token, std::optional<std::string> error) { outcome = Outcome { token, error }; });
    EXPECT_EQ(outcome, (Outcome { std::nullopt, "Could not open the sign-in window" }));

    auto plain = makeAccount("http://account.example.test");
    outcome.reset();
    plain->signIn({}, [&](std::optional<std::string> token, std::optional<std::string> error) { outcome = Outcome { token, error }; });
    EXPECT_EQ(outcome, (Outcome { std::nullopt, "Could not build the sign-in URL" }));
}

TEST_F(AccountTest, TheExchangeReplyDecides)
{
    keyring->save(kEmail, "old@example.test");
    http::HttpResponse tooLarge = FakeHttpClient::ok(R"({"account_token":"t","pad":")" + std::string(70 * 1024, 'x') + "\"}");
    struct Case {
        const char* name;
        http::HttpResponse response;
        Outcome expected;
        std::optional<std::string> storedToken;
        std::optional<std::string> storedEmail;
    };
    const std::string unreadable = "The account service returned an unreadable response";
    const Case cases[] = {
        { "token and e-mail", FakeHttpClient::ok(R"({"account_token":"t","email":"e"})"), { "t", std::nullopt }, "t", "e" },
        { "no e-mail removes the old one", FakeHttpClient::ok(R"({"account_token":"t2"})"), { "t2", std::nullopt }, "t2", std::nullopt },
        { "empty token with error", FakeHttpClient::ok(R"({"account_token":"","error":"x"})"), { std::nullopt, "x" }, "t2", std::nullopt },
        { "empty object", FakeHttpClient::ok("{}"), { std::nullopt, "The account service refused the sign-in" }, "t2", std::nullopt },
        { "not an object", FakeHttpClient::ok(R"(["account_token"])"), { std::nullopt, unreadable }, "t2", std::nullopt },
        { "not JSON", FakeHttpClient::ok("<html>"), { std::nullopt, unreadable }, "t2", std::nullopt },
        { "over 64 KiB", tooLarge, { std::nullopt, unreadable }, "t2", std::nullopt },
        { "transport", FakeHttpClient::unreachable("Could not connect to server"), { std::nullopt, "Could not connect to server" }, "t2", std::nullopt },
        { "500 carrying a token", FakeHttpClient::ok(R"({"account_token":"t3","email":"e3"})", 500), { "t3", std::nullopt }, "t3", "e3" },
    };
    for (const Case& test : cases) {
        EXPECT_EQ(exchangeAnswered(test.response), test.expected) << test.name;
        background.waitUntilIdle();
        EXPECT_EQ(keyring->peek(kToken), test.storedToken) << test.name;
        EXPECT_EQ(keyring->peek(kEmail), test.storedEmail) << test.name;
    }
    const auto request = http->requests().back();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.headers, (std::vector<http::HttpHeader> { { "Content-Type", "application/json" } }));
    EXPECT_EQ(request.timeout, std::chrono::milliseconds(30000));
    EXPECT_EQ(request.maxBodyBytes, 64u * 1024u);
}

TEST_F(AccountTest, OnlyHttpsOrTheLoopbackStandInIsEverSent)
{
    for (const std::string hub : { "http://account.example.test", "http://127.0.0.1.evil.test:80", "ftp://127.0.0.1:21" }) {
        account = makeAccount(hub);
        const Outcome outcome = await([this](SignInCompletion done) { account->exchange("c", std::move(done)); });
        EXPECT_FALSE(outcome.token) << hub;
    }
    EXPECT_TRUE(http->requests().empty());
    EXPECT_TRUE(IkwAccount::isAllowedHub("http://127.0.0.1:8080"));

    setenv("IKW_ACCOUNT_HUB", "http://example.test:80", 1);
    EXPECT_EQ(IkwAccount::hubFromEnvironment(), IkwAccount::productHub);
    setenv("IKW_ACCOUNT_HUB", "http://127.0.0.1:4567", 1);
    EXPECT_EQ(IkwAccount::hubFromEnvironment(), "http://127.0.0.1:4567");
    unsetenv("IKW_ACCOUNT_HUB");
}

TEST(AccountExpiry, TheTokenPayloadGivesTheExpiry)
{
    struct Case {
        const char* name;
        std::string token;
        bool usable;
    };
    const Case cases[] = {
        { "no dot", "opaque-token", true },
        { "dot first", ".abc", true },
        { "payload not base64", "!!!.sig", true },
        { "payload not JSON", tokenWith("not json") + "", true },
        { "payload not an object", tokenWith("[1]"), true },
        { "exp not a number", tokenWith(R"({"exp":"1900000000"})"), true },
        { "exp at now+60", tokenWith(R"({"exp":1800000060})"), false },
        { "exp at now+61", tokenWith(R"({"exp":1800000061})"), true },
        { "fractional exp", tokenWith(R"({"exp":1800000060.5})"), true },
        { "past", tokenWith(R"({"exp":1})"), false },
        // Three parts: everything before the last dot is the payload.
        { "header.payload.sig", tokenWith(R"({"exp":1})").substr(0, tokenWith(R"({"exp":1})").find('.')) + ".mid.sig", true },
    };
    for (const Case& test : cases)
        EXPECT_EQ(IkwAccount::isUsable(test.token, kNow), test.usable) << test.name;
    EXPECT_EQ(IkwAccount::expiry(tokenWith(R"({"exp":12.5})")), 12.5);
}

TEST_F(AccountTest, TheStoredItemsAreReadOnceAndAnExpiredTokenIsNotHandedOut)
{
    keyring->save(kToken, tokenWith(R"({"exp":1800000030})"));
    keyring->save(kEmail, "me@example.test");
    account->loadStored();
    ASSERT_TRUE(main.runUntil([&] { return account->hasLoaded() && changes > 0; }));
    EXPECT_EQ(account->token(), std::nullopt);
    EXPECT_EQ(account->email(), "me@example.test");
    const auto keyringCalls = keyring->calls().size();
    for (int i = 0; i < 3; ++i)
        account->token();
    EXPECT_EQ(keyring->calls().size(), keyringCalls);
}

TEST_F(AccountTest, ASignOutDuringTheLaunchReadIsNotUndoneByIt)
{
    keyring->save(kToken, "tok");
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    background.post([released] { released.wait(); });
    account->loadStored();
    account->signOut();
    release.set_value();
    background.waitUntilIdle();
    EXPECT_EQ(account->token(), std::nullopt);
    EXPECT_EQ(keyring->peek(kToken), std::nullopt);
}

TEST_F(AccountTest, WritesFallBackToTheFileAndARefusedWriteFailsTheSignIn)
{
    keyring->failWith(SecretStatus::unavailable, "no secret service");
    EXPECT_EQ(exchangeAnswered(FakeHttpClient::ok(R"({"account_token":"t","email":"e"})")), (Outcome { "t", std::nullopt }));
    EXPECT_EQ(file->peek(kToken), "t");
    EXPECT_EQ(file->peek(kEmail), "e");

    keyring->failWith(SecretStatus::error, "the keyring refused");
    EXPECT_EQ(exchangeAnswered(FakeHttpClient::ok(R"({"account_token":"t2","email":"e2"})")),
        (Outcome { std::nullopt, "Could not store the sign-in" }));
    EXPECT_EQ(account->token(), std::nullopt);
}

}
}
