#include "platform/secrets/LibsecretStore.h"
#include "platform/secrets/fake/PrivateKeyring.h"

#include <gtest/gtest.h>

namespace ikw::secrets {
namespace {

TEST(LibsecretStore, AServiceThatDoesNotAnswerMakesTheStoreUnavailable)
{
    PrivateKeyring& keyring = PrivateKeyring::shared();
    if (!keyring.running())
        GTEST_SKIP() << "no keyring daemon for the test: " << keyring.failure();
    LibsecretOptions options;
    options.answerTimeout = std::chrono::milliseconds(300);
    options.callTimeout = std::chrono::milliseconds(600);
    LibsecretStore store(options);
    const SecretKey key { "ikw.test.frozen", "token" };
    ASSERT_TRUE(store.save(key, "kept").ok());

    keyring.freeze();
    const auto started = std::chrono::steady_clock::now();
    const SecretResult results[] = { store.load(key), store.save(key, "lost"), store.remove(key) };
    const auto took = std::chrono::steady_clock::now() - started;
    keyring.thaw();

    for (const SecretResult& result : results) {
        EXPECT_EQ(result.status, SecretStatus::unavailable) << result.message;
        EXPECT_FALSE(result.message.empty());
    }
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_EQ(store.load(key).value, "kept");
}

}
}
