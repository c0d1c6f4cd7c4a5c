#include "services/PairBeaconLaunch.h"

#include "platform/core/fake/ManualMainQueue.h"
#include "platform/secrets/fake/FakeSecretStore.h"
#include "tests/support/CapturedStream.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::services {
namespace {

const secrets::SecretKey kBeacon { "app.norvale.inkwarden.pair", "library-code" };
constexpr const char* kJoined = "Inkwarden: joined the library already published on this iCloud account";

struct LaunchStep {
    testing::TempHome home;
    ManualMainQueue queue;
    const std::string config = home.file("config.json");
    std::shared_ptr<secrets::FakeSecretStore> keyring = std::make_shared<secrets::FakeSecretStore>("keyring");
    std::shared_ptr<PairCodeStore> codes = std::make_shared<PairCodeStore>(SettingsStore(config));
    int reloads = 0;
    PairBeaconLaunch launch { {
        .codes = codes,
        .beacon = std::make_shared<const MacPairBeacon>(
            std::make_shared<secrets::SecretStoreChain>(std::vector<std::shared_ptr<secrets::SecretStore>> { keyring })),
        .reloadSettingsPanelIfOpen = [this] { ++reloads; },
    } };
    std::shared_ptr<int> delegate = std::make_shared<int>(0);

    void storeCode(const std::string& code) { SettingsStore(config).save(Json { { "pair_code", code } }); }
    Json settings() const { return SettingsStore(config).load(); }
};

TEST(PairBeaconLaunch, WithoutACodeThePublishedLibraryIsAdoptedOnTheMainQueue)
{
    LaunchStep step;
    step.keyring->save(secrets::SecretKey(kBeacon), "abcd-efgh");
    testing::CapturedStream errors(STDERR_FILENO);
    step.launch.start(step.delegate);
    step.launch.waitUntilIdle();
    EXPECT_FALSE(step.settings().contains("pair_code")) << "settings are written on the main queue only";
    step.queue.drain();
    EXPECT_EQ(step.settings()["pair_code"], "ABCDEFGH");
    EXPECT_NE(errors.text().find(kJoined), std::string::npos);
    EXPECT_EQ(step.reloads, 1);
}

TEST(PairBeaconLaunch, NothingIsAdoptedWithoutABeaconOrOnceTheMomentHasPassed)
{
    struct Case {
        const char* what;
        bool beacon;
        std::function<void(LaunchStep&)> beforeTheHop;
        std::optional<std::string> code;
    };
    const Case cases[] = {
        { "no beacon", false, [](LaunchStep&) {}, std::nullopt },
        { "the delegate went", true, [](LaunchStep& step) { step.delegate.reset(); }, std::nullopt },
        { "the sheet made a code meanwhile", true, [](LaunchStep& step) { step.storeCode("K7M2P9QX"); }, "K7M2P9QX" },
    };
    for (const Case& test : cases) {
        LaunchStep step;
        if (test.beacon)
            step.keyring->save(secrets::SecretKey(kBeacon), "ABCDEFGH");
        testing::CapturedStream errors(STDERR_FILENO);
        step.launch.start(step.delegate);
        step.launch.waitUntilIdle();
        test.beforeTheHop(step);
        step.queue.drain();
        const Json settings = step.settings();
        EXPECT_EQ(settings.contains("pair_code") ? std::optional(settings["pair_code"].get<std::string>()) : std::nullopt, test.code) << test.what;
        EXPECT_EQ(errors.text().find(kJoined), std::string::npos) << test.what;
        EXPECT_EQ(step.reloads, 0) << test.what;
    }
}

TEST(PairBeaconLaunch, AStoredCodeIsPublishedWithoutForce)
{
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        { std::nullopt, "K7M2P9QX" },   // the first device to publish
        { "ABCDEFGH", "ABCDEFGH" },     // another device was first: its library stays the one to join
    };
    for (const auto& [before, after] : cases) {
        LaunchStep step;
        step.storeCode("k7m2-p9qx");
        if (before)
            step.keyring->save(secrets::SecretKey(kBeacon), *before);
        testing::CapturedStream errors(STDERR_FILENO);
        step.launch.start(step.delegate);
        step.launch.waitUntilIdle();
        step.queue.drain();
        EXPECT_EQ(step.keyring->peek(kBeacon), after);
        EXPECT_EQ(step.settings()["pair_code"], "k7m2-p9qx");
        EXPECT_EQ(step.reloads, 0);
    }
}

}
}
