// The vault on a real keyring daemon (a private one) and the real secrets file.
#include "legal/SignatureVault.h"

#include "platform/secrets/FileSecretStore.h"
#include "platform/secrets/fake/PrivateKeyring.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sstream>

namespace ikw::legal {
namespace {

using secrets::PrivateKeyring;
using secrets::SecretKey;
using State = SignatureVault::State;
using Store = SignatureVault::Store;

const SecretKey kUserItem { std::string(SignatureVault::service), std::string(SignatureVault::account) };

class SignatureVaultOnTheKeyring : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!PrivateKeyring::shared().running())
            GTEST_SKIP() << "no keyring daemon for the test: " << PrivateKeyring::shared().failure();
        // Every test of this process shares the daemon.
        ASSERT_TRUE(vault.clear());
    }

    testing::TempHome home;
    secrets::LibsecretStore keyring { SignatureVault::keyringOptions() };
    secrets::FileSecretStore file { home.file(".local/share/Inkwarden/secrets.json") };
    SignatureVault vault { keyring, file };
};

TEST_F(SignatureVaultOnTheKeyring, KeepsTheItemInTheKeyringWhileTheFilesOlderCopyStays)
{
    ASSERT_TRUE(file.save(kUserItem, "[older]").ok());
    const std::string signatures = "[{\"img\":\"data:image/png;base64,iVBORw0KGgo=\",\"name\":\"J. Doe \xE2\x9C\x8D\"}]";
    ASSERT_TRUE(vault.write(signatures));
    EXPECT_EQ(vault.lastStoreUsed(), Store::dataProtection);
    EXPECT_EQ(keyring.load(kUserItem).value, signatures);
    EXPECT_EQ(file.load(kUserItem).value, "[older]");

    SignatureVault reopened(keyring, file);
    EXPECT_EQ(reopened.state(), State::found(signatures));
    EXPECT_EQ(reopened.lastStoreUsed(), Store::dataProtection);
    // Stored in place: one item, whatever was there before.
    ASSERT_TRUE(vault.write("[]"));
    EXPECT_EQ(reopened.read(), "[]");

    EXPECT_TRUE(vault.clear());
    EXPECT_EQ(vault.state(), State::empty());
    EXPECT_EQ(file.load(kUserItem).status, secrets::SecretStatus::notFound);
}

TEST_F(SignatureVaultOnTheKeyring, SelftestUsesTheKeyringAndLeavesTheUsersItem)
{
    ASSERT_TRUE(vault.write("[mine]"));
    std::ostringstream out;
    EXPECT_TRUE(vault.selftest(out));
    EXPECT_EQ(out.str().substr(0, out.str().find('\n')), "  ok    dataProtection keychain: wrote, read back, deleted");
    EXPECT_EQ(keyring.load(kUserItem).value, "[mine]");
    EXPECT_EQ(keyring.load({ kUserItem.service, std::string(SignatureVault::probeAccount) }).status, secrets::SecretStatus::notFound);
    EXPECT_EQ(file.load({ kUserItem.service, std::string(SignatureVault::probeAccount) }).status, secrets::SecretStatus::notFound);
}

TEST_F(SignatureVaultOnTheKeyring, AKeyringThatDoesNotAnswerGivesUnknownWithinTheShortTimeOut)
{
    // The file's copy must not show while the keyring, which may hold a newer one, is silent.
    ASSERT_TRUE(file.save(kUserItem, "[older]").ok());
    PrivateKeyring::shared().freeze();
    const auto started = std::chrono::steady_clock::now();
    const State state = vault.state();
    const auto took = std::chrono::steady_clock::now() - started;
    PrivateKeyring::shared().thaw();

    EXPECT_EQ(state, State::unknown());
    EXPECT_LT(took, SignatureVault::keyringOptions().callTimeout);
}

}
}
