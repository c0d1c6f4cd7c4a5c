#include "platform/secrets/SecretStoreChain.h"

#include "platform/secrets/fake/FakeSecretStore.h"

#include <gtest/gtest.h>

namespace ikw::secrets {
namespace {

const SecretKey kKey { "com.example.test", "token" };

class SecretStoreChainTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeSecretStore> keyring = std::make_shared<FakeSecretStore>("keyring");
    std::shared_ptr<FakeSecretStore> file = std::make_shared<FakeSecretStore>("file");
    SecretStoreChain chain { std::vector<std::shared_ptr<SecretStore>> { keyring, file } };
};

TEST_F(SecretStoreChainTest, AWriteGoesToTheFileStoreOnlyWhenTheKeyringIsUnavailable)
{
    EXPECT_TRUE(chain.save(kKey, "one").ok());
    EXPECT_EQ(keyring->peek(kKey), "one");
    EXPECT_EQ(file->peek(kKey), std::nullopt);

    keyring->failWith(SecretStatus::unavailable, "no service");
    const ChainWrite fallback = chain.save(kKey, "two");
    EXPECT_TRUE(fallback.ok());
    EXPECT_EQ(fallback.store, "file");
    EXPECT_EQ(file->peek(kKey), "two");

    // A keyring that answers with a failure is not passed over: the failure is the answer.
    keyring->failWith(SecretStatus::error, "write refused");
    const ChainWrite refused = chain.save(kKey, "three");
    EXPECT_EQ(refused.result.status, SecretStatus::error);
    EXPECT_EQ(refused.store, "keyring");
    EXPECT_EQ(refused.result.message, "write refused");
    EXPECT_EQ(file->peek(kKey), "two");
}

TEST_F(SecretStoreChainTest, AReadTakesTheFirstStoreWithUsableText)
{
    struct Case {
        const char* name;
        std::optional<std::string> inKeyring;
        std::optional<SecretStatus> keyringFailure;
        std::optional<std::string> inFile;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        { "keyring wins", "k", {}, "f", "k" },
        { "nothing in the keyring", {}, {}, "f", "f" },
        { "keyring unavailable", "k", SecretStatus::unavailable, "f", "f" },
        { "keyring failing", "k", SecretStatus::error, "f", "f" },
        { "not UTF-8 in the keyring", std::string("\xff\xfe"), {}, "f", "f" },
        { "nowhere", {}, {}, {}, std::nullopt },
    };
    for (const Case& test : cases) {
        auto first = std::make_shared<FakeSecretStore>("keyring");
        auto second = std::make_shared<FakeSecretStore>("file");
        if (test.inKeyring)
            first->save(kKey, *test.inKeyring);
        if (test.inFile)
            second->save(kKey, *test.inFile);
        if (test.keyringFailure)
            first->failWith(*test.keyringFailure);
        SecretStoreChain reader { std::vector<std::shared_ptr<SecretStore>> { first, second } };
        EXPECT_EQ(reader.load(kKey), test.expected) << test.name;
    }
}

TEST_F(SecretStoreChainTest, AnEmptyWriteRemovesTheItemFromEveryStore)
{
    keyring->save(kKey, "new");
    file->save(kKey, "left from a session without a keyring");
    EXPECT_TRUE(chain.save(kKey, "").ok());
    EXPECT_EQ(keyring->peek(kKey), std::nullopt);
    EXPECT_EQ(file->peek(kKey), std::nullopt);
    EXPECT_EQ(chain.load(kKey), std::nullopt);
}

TEST_F(SecretStoreChainTest, AKeyringThatDidNotAnswerIsNotAskedAgain)
{
    keyring->failWith(SecretStatus::unavailable, "no answer", SecretUnavailable::noAnswer);
    EXPECT_TRUE(chain.save(kKey, "value").ok());
    keyring->heal();
    EXPECT_EQ(chain.load(kKey), "value");
    EXPECT_EQ(keyring->calls(), std::vector<std::string> { "save com.example.test/token" });

    // A locked keyring is asked again: the user may unlock it.
    auto locked = std::make_shared<FakeSecretStore>("keyring");
    locked->failWith(SecretStatus::unavailable, "locked", SecretUnavailable::locked);
    SecretStoreChain other { std::vector<std::shared_ptr<SecretStore>> { locked, file } };
    other.load(kKey);
    other.load(kKey);
    EXPECT_EQ(locked->calls().size(), 2u);
}

}
}
