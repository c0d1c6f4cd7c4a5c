#include "services/MacPairBeacon.h"

#include "platform/secrets/fake/FakeSecretStore.h"
#include "services/PairingActions.h"
#include "tests/support/CapturedStream.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::services {
namespace {

using secrets::FakeSecretStore;
using secrets::SecretStatus;

const secrets::SecretKey kBeacon { "app.norvale.inkwarden.pair", "library-code" };
constexpr const char* kNotOverwriting = "Inkwarden pair beacon: another device already published a different library; not overwriting";

struct Beacon {
    std::shared_ptr<FakeSecretStore> keyring = std::make_shared<FakeSecretStore>("keyring");
    MacPairBeacon beacon { std::make_shared<secrets::SecretStoreChain>(std::vector<std::shared_ptr<secrets::SecretStore>> { keyring }) };

    std::vector<std::string> writes() const
    {
        std::vector<std::string> found;
        for (const auto& call : keyring->calls()) {
            if (call.rfind("load", 0) != 0)
                found.push_back(call);
        }
        return found;
    }
};

TEST(MacPairBeacon, ReadNormalisesAndIgnoresShortCodes)
{
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        { "abcd-efgh", "ABCDEFGH" },
        { "k7m-2p9", "K7M2P9" },
        { "ab-c1d", std::nullopt }, // 5 usable characters
        { "------", std::nullopt },
    };
    for (const auto& [stored, expected] : cases) {
        Beacon fixture;
        fixture.keyring->save(kBeacon, stored);
        EXPECT_EQ(fixture.beacon.read(), expected) << stored;
    }
    Beacon failing;
    failing.keyring->failWith(SecretStatus::error, "keyring broke");
    EXPECT_EQ(failing.beacon.read(), std::nullopt);
}

TEST(MacPairBeacon, PublishWritesOnlyWhatItShould)
{
    struct Case {
        const char* what;
        std::optional<std::string> before;
        std::string code;
        bool force;
        std::int32_t status;
        std::optional<std::string> after;
        bool writes;
        bool logsNotOverwriting;
    };
    const Case cases[] = {
        { "too short", std::nullopt, "ab-c1d", false, -50, std::nullopt, false, false },
        { "too short, even forced", "K7M2P9QX", "ab-c1d", true, -50, "K7M2P9QX", false, false },
        { "empty beacon", std::nullopt, "k7m2-p9qx", false, 0, "K7M2P9QX", true, false },
        { "the same code", "k7m2-p9qx", "K7M2P9QX", false, 0, "k7m2-p9qx", false, false },
        { "a different code", "ABCDEFGH", "K7M2P9QX", false, -25299, "ABCDEFGH", false, true },
        { "a different code, forced", "ABCDEFGH", "K7M2P9QX", true, 0, "K7M2P9QX", true, false },
        { "an unusable beacon counts as empty", "ab-c1", "K7M2P9QX", false, 0, "K7M2P9QX", true, false },
    };
    for (const Case& test : cases) {
        Beacon fixture;
        if (test.before)
            fixture.keyring->save(kBeacon, *test.before);
        const auto callsBefore = fixture.writes().size();
        testing::CapturedStream errors(STDERR_FILENO);
        EXPECT_EQ(fixture.beacon.publish(test.code, test.force), test.status) << test.what;
        EXPECT_EQ(fixture.keyring->peek(kBeacon), test.after) << test.what;
        EXPECT_EQ(fixture.writes().size() > callsBefore, test.writes) << test.what;
        EXPECT_EQ(errors.text().find(kNotOverwriting) != std::string::npos, test.logsNotOverwriting) << test.what;
    }
}

TEST(MacPairBeacon, AStoreThatRefusesIsLoggedWithItsNameAndMessage)
{
    Beacon fixture;
    fixture.keyring->failWith(SecretStatus::error, "the keyring is read-only");
    testing::CapturedStream errors(STDERR_FILENO);
    EXPECT_EQ(fixture.beacon.publish("K7M2P9QX", false), MacPairBeacon::kStoreFailed);
    EXPECT_LT(MacPairBeacon::kStoreFailed, 0);
    EXPECT_NE(errors.text().find("Inkwarden pair beacon publish failed: keyring: the keyring is read-only"), std::string::npos)
        << errors.text();
}

TEST(MacPairBeacon, StandingAndTheSettingsPanelStatus)
{
    struct Case {
        const char* what;
        std::optional<std::string> storedCode;
        std::optional<std::string> beacon;
        MacPairBeacon::Standing::Kind kind;
        std::string status;
    };
    using Kind = MacPairBeacon::Standing::Kind;
    const Case cases[] = {
        { "no code, no beacon", std::nullopt, std::nullopt, Kind::none, R"({"code":"","standing":"none"})" },
        { "no code, a beacon", std::nullopt, "ABCDEFGH", Kind::other, R"({"code":"","standing":"none"})" },
        { "alone", "K7M2P9QX", std::nullopt, Kind::none, R"({"code":"K7M2P9QX","standing":"alone"})" },
        { "joined", "k7m2-p9qx", "K7M2P9QX", Kind::mine, R"({"code":"k7m2-p9qx","standing":"joined"})" },
        { "split", "K7M2P9QX", "ABCDEFGH", Kind::other, R"({"code":"K7M2P9QX","standing":"split"})" },
    };
    for (const Case& test : cases) {
        testing::TempHome home;
        const std::string config = home.file("config.json");
        if (test.storedCode)
            SettingsStore(config).save(Json { { "pair_code", *test.storedCode } });
        Beacon fixture;
        if (test.beacon)
            fixture.keyring->save(kBeacon, *test.beacon);
        PairCodeStore codes { SettingsStore(config) };
        const auto standing = fixture.beacon.standing(test.storedCode.value_or(""));
        EXPECT_EQ(standing.kind, test.kind) << test.what;
        EXPECT_EQ(standing.code, test.kind == Kind::other ? *test.beacon : "") << test.what;
        EXPECT_EQ(syncStatusJSON(codes, fixture.beacon), test.status) << test.what;
    }
}

}
}
