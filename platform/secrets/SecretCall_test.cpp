#include "platform/secrets/SecretCall.h"
#include "platform/secrets/fake/PrivateKeyring.h"

#include <gtest/gtest.h>

namespace ikw::secrets {
namespace {

using namespace std::chrono_literals;

TEST(SecretCall, GivesUpWhenTheTimeOutPasses)
{
    PrivateKeyring& keyring = PrivateKeyring::shared();
    if (!keyring.running())
        GTEST_SKIP() << "no keyring daemon for the test: " << keyring.failure();
    g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    ASSERT_TRUE(bus);

    // A call without a time-out of its own to a stopped service: only the cancellation ends it.
    keyring.freeze();
    const auto started = std::chrono::steady_clock::now();
    const SecretCall hanging = runSecretCall(200ms, [&](GCancellable* cancellable, GAsyncReadyCallback done, gpointer data) {
        g_dbus_connection_call(bus, "org.freedesktop.secrets", "/org/freedesktop/secrets", "org.freedesktop.DBus.Peer", "Ping",
            nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, G_MAXINT, cancellable, done, data);
    });
    keyring.thaw();
    EXPECT_TRUE(hanging.timedOut);
    EXPECT_TRUE(hanging.result) << "a cancelled call still ends";
    EXPECT_NE(hanging.timeoutMessage.find("did not answer"), std::string::npos);

    // A call that ignores its cancellation is abandoned after a grace period.
    const SecretCall deaf = runSecretCall(200ms, [](GCancellable*, GAsyncReadyCallback, gpointer) {});
    EXPECT_TRUE(deaf.timedOut);
    EXPECT_FALSE(deaf.result);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

}
}
