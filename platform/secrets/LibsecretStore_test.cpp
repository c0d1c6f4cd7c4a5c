#include "platform/secrets/LibsecretStore.h"
#include "platform/secrets/fake/PrivateKeyring.h"

#include "platform/core/Process.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdlib>

extern char** environ;

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

TEST(LibsecretStore, WithoutASessionBusTheStoreIsUnavailable)
{
    // The bus of a process is fixed at its first use, so the case runs again in a child whose
    // environment names no usable bus.
    if (std::getenv("IKW_TEST_WITHOUT_BUS")) {
        LibsecretStore store;
        const SecretKey key { "ikw.test.nobus", "token" };
        for (const SecretResult& result : { store.load(key), store.save(key, "value"), store.remove(key) })
            EXPECT_EQ(result.status, SecretStatus::unavailable) << result.message;
        return;
    }
    char self[PATH_MAX] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    ProcessOptions options;
    options.argv = { self, "--gtest_filter=LibsecretStore.WithoutASessionBusTheStoreIsUnavailable" };
    options.environment = std::vector<std::string> {};
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        if (!variable.starts_with("DBUS_SESSION_BUS_ADDRESS=") && !variable.starts_with("DISPLAY="))
            options.environment->push_back(variable);
    }
    options.environment->push_back("IKW_TEST_WITHOUT_BUS=1");
    options.environment->push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/ikw-bus");
    options.timeoutSeconds = 30;
    const ProcessResult child = runProcess(options);
    EXPECT_TRUE(child.succeeded()) << child.standardOutput << child.standardError;
}

}
}
