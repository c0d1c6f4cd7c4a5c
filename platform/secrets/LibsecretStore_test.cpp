#include "platform/secrets/LibsecretStore.h"
#include "platform/secrets/fake/PrivateKeyring.h"

#include "platform/core/Process.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

extern char** environ;

namespace ikw::secrets {
namespace {

// Runs one test of this program again in a child process whose environment is this one's without
// the variables starting with a prefix of `dropped`, plus `added`. The child's failures fail the caller.
void expectTestPassesInChild(const char* test, const std::vector<std::string>& dropped, const std::vector<std::string>& added)
{
    char self[PATH_MAX] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    ProcessOptions options;
    options.argv = { self, std::string("--gtest_filter=") + test };
    options.environment = std::vector<std::string> {};
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        if (std::none_of(dropped.begin(), dropped.end(), [&](const std::string& prefix) { return variable.starts_with(prefix); }))
            options.environment->push_back(variable);
    }
    options.environment->insert(options.environment->end(), added.begin(), added.end());
    options.timeoutSeconds = 30;
    const ProcessResult child = runProcess(options);
    EXPECT_TRUE(child.succeeded()) << child.standardOutput << child.standardError;
    // A filter that matched nothing would pass as well.
    EXPECT_NE(child.standardOutput.find("[  PASSED  ] 1 test."), std::string::npos) << child.standardOutput;
}

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
        // The service holds the name: it may keep items, so it is not taken for a missing one.
        EXPECT_EQ(result.cause, SecretUnavailable::noAnswer) << result.message;
        EXPECT_FALSE(result.message.empty());
    }
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_EQ(store.load(key).value, "kept");
}

TEST(LibsecretStore, WithoutASessionBusTheStoreIsUnavailable)
{
    // The bus of a process is fixed at its first use, so the case runs again in a child whose
    // environment names no usable bus.
    if (std::getenv("IKW_TEST_WITHOUT_BUS")) {
        LibsecretStore store;
        const SecretKey key { "ikw.test.nobus", "token" };
        for (const SecretResult& result : { store.load(key), store.save(key, "value"), store.remove(key) })
            EXPECT_TRUE(result.noService()) << statusName(result.status) << ": " << result.message;
        return;
    }
    expectTestPassesInChild("LibsecretStore.WithoutASessionBusTheStoreIsUnavailable", { "DBUS_SESSION_BUS_ADDRESS=", "DISPLAY=" },
        { "IKW_TEST_WITHOUT_BUS=1", "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/ikw-bus" });
}

TEST(LibsecretStore, ALoadThatMayNotUnlockAnswersALockedKeyringAtOnce)
{
    PrivateKeyring& keyring = PrivateKeyring::shared();
    if (!keyring.running())
        GTEST_SKIP() << "no keyring daemon for the test: " << keyring.failure();
    // Locking cannot be undone without a prompt: the locked part runs in a child with a keyring
    // of its own.
    if (!std::getenv("IKW_TEST_LOCKS_KEYRING")) {
        expectTestPassesInChild("LibsecretStore.ALoadThatMayNotUnlockAnswersALockedKeyringAtOnce", {}, { "IKW_TEST_LOCKS_KEYRING=1" });
        return;
    }
    LibsecretOptions options;
    options.unlockToLoad = false;
    LibsecretStore store(options);
    const SecretKey key { "ikw.test.locked", "token" };
    const std::string binary("\x00\xFF stored", 9);
    ASSERT_TRUE(store.save(key, binary).ok());
    EXPECT_EQ(store.load(key).value, binary);
    EXPECT_EQ(store.load({ "ikw.test.locked", "other" }).status, SecretStatus::notFound);

    ASSERT_TRUE(keyring.lock());
    const auto started = std::chrono::steady_clock::now();
    const SecretResult locked = store.load(key);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(locked.status, SecretStatus::unavailable) << locked.message;
    EXPECT_EQ(locked.cause, SecretUnavailable::locked) << locked.message;
    EXPECT_EQ(locked.value, "");
    // An item that does not exist is still told apart from one that cannot be read.
    EXPECT_EQ(store.load({ "ikw.test.locked", "other" }).status, SecretStatus::notFound);

    // A load that may unlock finds no prompt here: the locked item is still no missing one.
    options.unlockToLoad = true;
    options.callTimeout = std::chrono::milliseconds(5000);
    LibsecretStore unlocking(options);
    const SecretResult prompted = unlocking.load(key);
    EXPECT_EQ(prompted.status, SecretStatus::unavailable) << prompted.message;
    EXPECT_EQ(unlocking.load({ "ikw.test.locked", "other" }).status, SecretStatus::notFound);
}

}
}
