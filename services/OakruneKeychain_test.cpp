#include "services/OakruneKeychain.h"

#include "platform/secrets/fake/FakeSecretStore.h"
#include "tests/support/CapturedStream.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace ikw::services {
namespace {

using secrets::FakeSecretStore;
using secrets::SecretKey;
using secrets::SecretStatus;

const SecretKey kToken { "com.norvale.inkwarden.oakrune", "oakrune-pairing-token" };

class OakruneKeychainTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeSecretStore> keyring = std::make_shared<FakeSecretStore>("keyring");
    std::shared_ptr<FakeSecretStore> file = std::make_shared<FakeSecretStore>("file");
    OakruneKeychain keychain { std::make_shared<secrets::SecretStoreChain>(
        std::vector<std::shared_ptr<secrets::SecretStore>> { keyring, file }) };
};

TEST_F(OakruneKeychainTest, AnUnreachableKeyringHandsTheTokenToTheFile)
{
    keyring->failWith(SecretStatus::unavailable, "no session bus");
    EXPECT_TRUE(keychain.write("tok-1"));
    EXPECT_EQ(file->peek(kToken), "tok-1");
    EXPECT_EQ(keychain.read(), "tok-1");
}

TEST_F(OakruneKeychainTest, AFailingKeyringStopsTheWriteAndLogsWithoutTheToken)
{
    keyring->save(kToken, "earlier");
    keyring->failWith(SecretStatus::error, "the item is damaged");
    testing::CapturedStream errors(STDERR_FILENO);

    EXPECT_FALSE(keychain.write("secret-token"));

    EXPECT_TRUE(file->calls().empty());
    EXPECT_EQ(errors.text(), "Inkwarden: Oakrune pairing token save failed: keyring: the item is damaged\n");
    keyring->heal();
    EXPECT_EQ(keychain.read(), "earlier");
}

TEST_F(OakruneKeychainTest, NoStoreReachableIsReportedAsSuch)
{
    keyring->failWith(SecretStatus::unavailable, "no session bus");
    file->failWith(SecretStatus::unavailable, "no home");
    testing::CapturedStream errors(STDERR_FILENO);

    EXPECT_FALSE(keychain.write("secret-token"));
    EXPECT_FALSE(keychain.write(""));

    EXPECT_EQ(errors.text(),
        "Inkwarden: Oakrune pairing token save failed: no keychain accepted the item\n"
        "Inkwarden: Oakrune pairing token save failed: the token is empty\n");
}

TEST_F(OakruneKeychainTest, ReadingSkipsATokenThatIsNoTextAndRemovingClearsBothStores)
{
    keyring->save(kToken, "\xff\xfe broken");
    file->save(kToken, "tok-2");
    EXPECT_EQ(keychain.read(), "tok-2");

    keychain.remove();
    EXPECT_EQ(keyring->peek(kToken), std::nullopt);
    EXPECT_EQ(file->peek(kToken), std::nullopt);
    EXPECT_EQ(keychain.read(), std::nullopt);
}

}
}
