// The pairing sheet and the settings panel's two moves between libraries, on the recording toolkit
// and a review window that shows the toasts.
#include "services/PairingActions.h"

#include "app/MenuCommands.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/secrets/fake/FakeSecretStore.h"
#include "review/PageBridgeTestFixture.h"
#include "review/PanelRouter.h"
#include "services/PairQR.h"
#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ikw::services {
namespace {

const secrets::SecretKey kBeacon { "app.norvale.inkwarden.pair", "library-code" };

class PairingTest : public ikw::testing::PageBridgeFixture {
protected:
    PairingServices pairing()
    {
        return {
            .codes = codes,
            .beacon = beacon,
            .dialogs = &toolkit.fakeDialogs,
            .clipboard = &toolkit.fakeClipboard,
            .keyReviewWC = [this] { return window; },
            .reloadSettingsPanelIfOpen = [this] { ++reloads; },
            .qrImage = {},
        };
    }

    void storeCode(const std::string& code) { SettingsStore(config).save(Json { { "pair_code", code } }); }
    std::string storedCode() const { return storedPairCode(SettingsStore(config).load()); }
    void answer(int button) { toolkit.fakeDialogs.alertAnswers.push_back({ .button = button }); }
    bool toasted(const std::string& text)
    {
        const auto& scripts = view().evaluated;
        return std::any_of(scripts.begin(), scripts.end(), [&](const std::string& script) { return script.find(jsQuote(text)) != std::string::npos; });
    }
    std::string decoded(const std::string& png)
    {
        const std::string path = ikw::testing::writeTestFile(home.file("sheet-qr.png"), png);
        return ikw::testing::runProgram(findExecutable("zbarimg"), { "--quiet", "--raw", path }).standardOutput;
    }

    const std::string config = home.file("support/config.json");
    FaultyFileSystem disk;
    std::shared_ptr<PairCodeStore> codes = std::make_shared<PairCodeStore>(SettingsStore(config, disk));
    std::shared_ptr<secrets::FakeSecretStore> keyring = std::make_shared<secrets::FakeSecretStore>("keyring");
    std::shared_ptr<const MacPairBeacon> beacon = std::make_shared<const MacPairBeacon>(
        std::make_shared<secrets::SecretStoreChain>(std::vector<std::shared_ptr<secrets::SecretStore>> { keyring }));
    int reloads = 0;
};

// With settings that cannot be saved, every ask for a code makes a new one: the sheet asks once, so
// the text, the copy, the QR code and the beacon agree.
TEST_F(PairingTest, TheSheetShowsCopiesEncodesAndPublishesOneCodeEvenWhenItCannotBeSaved)
{
    disk.fail(FaultyFileSystem::Operation::Replace);
    MenuCommands commands;
    registerPairingMenuCommand(commands, pairing());
    ui::MenuItem item;
    item.command = "showPairSheet:";
    ASSERT_TRUE(commands.perform({ item }));

    ASSERT_EQ(toolkit.fakeDialogs.alerts.size(), 1u);
    const ui::AlertContent& sheet = toolkit.fakeDialogs.alerts[0].request;
    EXPECT_EQ(sheet.message, "Pair with iPhone");
    EXPECT_EQ(sheet.buttons, (std::vector<std::string> { "Copy Code", "Done" }));
    ASSERT_TRUE(sheet.label && sheet.image);
    const std::string shown = sheet.label->text;
    ASSERT_EQ(shown.size(), 9u);
    EXPECT_EQ(shown[4], '-');
    const std::string code = shown.substr(0, 4) + shown.substr(5);
    EXPECT_EQ(toolkit.fakeClipboard.contents, shown);
    EXPECT_EQ(keyring->peek(kBeacon), code);
    EXPECT_EQ(decoded(sheet.image->png), pairQRPayload(code) + "\n");
    EXPECT_EQ(storedCode(), "") << "the settings refused the code";
}

TEST_F(PairingTest, TheSheetShowsAnAdoptedCodeAsItIsAndStillCopiesWithoutAnImage)
{
    storeCode("K7M2P9");
    keyring->save(secrets::SecretKey(kBeacon), "ABCDEFGH");
    struct Case {
        int button;
        std::optional<std::string> copied;
    };
    for (const Case& test : { Case { 0, "K7M2P9" }, Case { 1, std::nullopt } }) {
        toolkit.fakeClipboard.contents.reset();
        answer(test.button);
        PairingServices noImage = pairing();
        noImage.qrImage = [](const std::string&) { return std::optional<std::string>(); };
        showPairSheet(noImage);
        const ui::AlertContent& sheet = toolkit.fakeDialogs.alerts.back().request;
        EXPECT_EQ(sheet.label->text, "K7M2P9");
        EXPECT_EQ(sheet.image->png, "");
        EXPECT_EQ(toolkit.fakeClipboard.contents, test.copied);
    }
    EXPECT_EQ(keyring->peek(kBeacon), "ABCDEFGH") << "another device's beacon is not overwritten by the sheet";
}

TEST_F(PairingTest, JoiningTheAccountsLibraryAsksFirst)
{
    struct Case {
        const char* what;
        std::optional<std::string> beacon;
        int button;
        std::size_t alerts;
        std::string code;
    };
    const Case cases[] = {
        { "Use That Library", "abcd-efgh", 0, 1, "ABCDEFGH" },
        { "Cancel", "abcd-efgh", 1, 1, "K7M2P9QX" },
        { "no beacon", std::nullopt, 0, 0, "K7M2P9QX" },
        { "the beacon is this computer's", "k7m2-p9qx", 0, 0, "K7M2P9QX" },
    };
    for (const Case& test : cases) {
        storeCode("K7M2P9QX");
        keyring->save(kBeacon, test.beacon.value_or(""));
        toolkit.fakeDialogs.alerts.clear();
        view().evaluated.clear();
        reloads = 0;
        answer(test.button);
        joinAccountLibrary(pairing());
        toolkit.fakeDialogs.alertAnswers.clear();
        EXPECT_EQ(toolkit.fakeDialogs.alerts.size(), test.alerts) << test.what;
        EXPECT_EQ(storedCode(), test.code) << test.what;
        const bool joined = test.code != "K7M2P9QX";
        EXPECT_EQ(toasted("This computer now uses your account's library"), joined) << test.what;
        EXPECT_EQ(reloads, joined ? 1 : 0) << test.what;
    }
    EXPECT_EQ(keyring->peek(kBeacon), "k7m2-p9qx") << "joining never writes the beacon";
}

TEST_F(PairingTest, PublishingThisLibraryReplacesTheBeaconOnlyWhenConfirmed)
{
    struct Case {
        const char* what;
        std::optional<std::string> code;
        int button;
        std::string beacon;
    };
    const Case cases[] = {
        { "Use This Computer's Library", "K7M2P9QX", 0, "K7M2P9QX" },
        { "Cancel", "K7M2P9QX", 1, "ABCDEFGH" },
        { "no code here", std::nullopt, 0, "ABCDEFGH" },
    };
    for (const Case& test : cases) {
        storeCode(test.code.value_or(""));
        keyring->save(kBeacon, "ABCDEFGH");
        toolkit.fakeDialogs.alerts.clear();
        view().evaluated.clear();
        reloads = 0;
        answer(test.button);
        publishThisLibrary(pairing());
        toolkit.fakeDialogs.alertAnswers.clear();
        EXPECT_EQ(toolkit.fakeDialogs.alerts.size(), test.code ? 1u : 0u) << test.what;
        EXPECT_EQ(keyring->peek(kBeacon), test.beacon) << test.what;
        const bool published = test.beacon != "ABCDEFGH";
        EXPECT_EQ(toasted("New devices will join this computer's library"), published) << test.what;
        EXPECT_EQ(reloads, published ? 1 : 0) << test.what;
        EXPECT_EQ(storedCode(), test.code.value_or("")) << test.what;
    }
}

TEST_F(PairingTest, TheSettingsPanelReachesAllThree)
{
    PanelActions actions;
    registerPairingPanelActions(actions, pairing());
    for (const char* name : { "pairsheet", "joinlibrary", "publishlibrary" })
        EXPECT_TRUE(actions.contains(name)) << name;
}

}
}
