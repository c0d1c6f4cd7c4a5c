// The account's menu, panel and page entries on a review window with the page bridge.
#include "services/AccountActions.h"

#include "app/MenuCommands.h"
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
using secrets::FakeSecretStore;

const std::string kHub = "https://account.example.test";
const secrets::SecretKey kToken { "com.norvale.inkwarden.account", "token" };
const secrets::SecretKey kEmail { "com.norvale.inkwarden.account", "email" };

class AccountActionsTest : public ikw::testing::PageBridgeFixture {
protected:
    AccountActionsTest()
    {
        registerAccountMessages(bridge->messages, hooks);
        registerAccountMenuCommand(commands, hooks);
    }

    // Fills the memory from the stores, as the launch does.
    void signedInAs(std::optional<std::string> email, std::string token = "tok")
    {
        keyring->save(kToken, token);
        if (email)
            keyring->save(kEmail, *email);
        account->loadStored();
        background.waitUntilIdle();
        ASSERT_TRUE(account->hasLoaded());
    }

    bool evaluatedHolds(const std::string& text)
    {
        const auto& scripts = viewOf(*window).evaluated;
        return std::any_of(scripts.begin(), scripts.end(), [&](const std::string& script) { return script.find(text) != std::string::npos; });
    }

    // Answers the open sign-in page with its own state and a code.
    void completeSignIn()
    {
        ASSERT_FALSE(toolkit.fakeWorkspace.openedUrls.empty());
        const auto state = urlQuery(toolkit.fakeWorkspace.openedUrls.back(), "state").value_or("");
        EXPECT_TRUE(sessions.deliver("inkwarden://auth?state=" + state + "&code=c"));
    }

    std::string menuTitle()
    {
        ui::MenuItem item;
        item.command = "signOutAccount:";
        return commands.validate({ item }).title.value_or("");
    }

    WorkQueue background { "test.account" };
    ui::WebAuthSessions sessions { toolkit.fakeWorkspace };
    std::shared_ptr<FakeHttpClient> http = std::make_shared<FakeHttpClient>();
    std::shared_ptr<FakeSecretStore> keyring = std::make_shared<FakeSecretStore>("keyring");
    std::shared_ptr<IkwAccount> account = IkwAccount::create(AccountParts {
        .hub = kHub,
        .secrets = std::make_shared<secrets::SecretStoreChain>(std::vector<std::shared_ptr<secrets::SecretStore>> { keyring }),
        .http = http,
        .sessions = &sessions,
        .queue = &background,
        .now = {},
        .changed = {},
    });
    std::vector<std::string> recorded;
    int broadcasts = 0;
    AccountHooks hooks {
        .account = [this] { return account; },
        .keyReviewWC = [this] { return window; },
        .record = [this](const std::string& id) { recorded.push_back(id); },
        .broadcastToken = [this] { ++broadcasts; },
    };
    MenuCommands commands;
};

TEST_F(AccountActionsTest, SigningOutRecordsRemovesBothItemsAndSaysWho)
{
    struct Case {
        std::optional<std::string> email;
        std::string toast;
    };
    const Case cases[] = {
        { "me@example.test", "Signed out of me@example.test" },
        { std::nullopt, "Signed out of your Norvale account" },
    };
    for (const Case& test : cases) {
        signedInAs(test.email);
        EXPECT_EQ(menuTitle(), kSignOutTitle);
        recorded.clear();
        signOutAccount(hooks);
        background.waitUntilIdle();
        EXPECT_EQ(recorded, std::vector<std::string> { "account.signout" });
        EXPECT_EQ(keyring->peek(kToken), std::nullopt);
        EXPECT_EQ(keyring->peek(kEmail), std::nullopt);
        EXPECT_TRUE(evaluatedHolds(jsQuote(test.toast))) << test.toast;
        EXPECT_EQ(menuTitle(), kSignInTitle);
        EXPECT_EQ(account->token(), std::nullopt);
    }
    EXPECT_EQ(broadcasts, 2);
}

TEST_F(AccountActionsTest, TheActionSignsInWhenNoUsableTokenExists)
{
    http->answer("POST", kHub + "/native/token", FakeHttpClient::ok(R"({"account_token":"t","email":"new@example.test"})"));
    signedInAs("old@example.test", "eyJleHAiOjF9.sig"); // {"exp":1}: long expired
    EXPECT_EQ(accountStatusJSON(account.get()), R"({"email":"old@example.test","hub":"https:\/\/account.example.test","signedIn":false})");
    signOutAccount(hooks);
    EXPECT_TRUE(recorded.empty());
    completeSignIn();
    ASSERT_TRUE(queue.runUntil([&] { return evaluatedHolds("Signed in as new@example.test"); }));
    EXPECT_EQ(broadcasts, 1);
    EXPECT_EQ(parseJson(accountStatusJSON(account.get())).value_or(Json())["signedIn"], true);

    // A failed sign-in is toasted too.
    signOutAccount(hooks);
    toolkit.fakeWorkspace.opens = false;
    signOutAccount(hooks);
    EXPECT_TRUE(queue.runUntil([&] { return evaluatedHolds("Sign-in failed: Could not open the sign-in window"); }));
}

TEST_F(AccountActionsTest, ThePageMessagesSignInAndOut)
{
    http->answer("POST", kHub + "/native/token", FakeHttpClient::ok(R"({"account_token":"t","email":"e@example.test"})"));
    view().postMessage({ { "action", "acct-signin" } });
    completeSignIn();
    ASSERT_TRUE(queue.runUntil([&] { return evaluatedHolds("InkwardenAccount._signInDone(true,\"\");"); }));
    EXPECT_EQ(account->token(), "t");

    view().postMessage({ { "action", "acct-signout" } });
    background.waitUntilIdle();
    EXPECT_EQ(account->token(), std::nullopt);
    EXPECT_EQ(keyring->peek(kToken), std::nullopt);
    EXPECT_TRUE(recorded.empty()); // only the account action counts a sign-out

    http->answer("POST", kHub + "/native/token", FakeHttpClient::ok(R"({"error":"Code expired"})"));
    view().postMessage({ { "action", "acct-signin" } });
    completeSignIn();
    ASSERT_TRUE(queue.runUntil([&] { return evaluatedHolds("InkwardenAccount._signInDone(false,\"Code expired\");"); }));
    EXPECT_TRUE(evaluatedHolds("Sign-in failed: Code expired"));
    EXPECT_EQ(broadcasts, 3);
}

}
}
