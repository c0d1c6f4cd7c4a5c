#include "platform/secrets/SecretCall.h"
#include "platform/secrets/fake/PrivateKeyring.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

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
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

// The completion a call was handed, run 2.5 s after the call started (past its time-out and grace).
struct LateAnswer {
    GAsyncReadyCallback done;
    gpointer data;
    std::atomic<bool>* delivered;

    static gboolean deliver(gpointer self)
    {
        const std::unique_ptr<LateAnswer> answer(static_cast<LateAnswer*>(self));
        GTask* task = g_task_new(nullptr, nullptr, nullptr, nullptr);
        g_task_return_boolean(task, TRUE);
        answer->done(nullptr, G_ASYNC_RESULT(task), answer->data);
        g_object_unref(task);
        *answer->delivered = true;
        return G_SOURCE_REMOVE;
    }
};

TEST(SecretCall, ACallThatIgnoresItsCancellationIsAbandonedAndItsLateAnswerStillTaken)
{
    std::atomic<bool> delivered = false;
    const auto started = std::chrono::steady_clock::now();
    const SecretCall deaf = runSecretCall(200ms, [&](GCancellable*, GAsyncReadyCallback done, gpointer data) {
        GSource* timer = g_timeout_source_new(2500);
        g_source_set_callback(timer, LateAnswer::deliver, new LateAnswer { done, data, &delivered }, nullptr);
        g_source_attach(timer, g_main_context_get_thread_default());
        g_source_unref(timer);
    });
    EXPECT_TRUE(deaf.timedOut);
    EXPECT_FALSE(deaf.result);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2500ms);
    // Nobody waits for it any more, yet the answer is taken and the call's state freed (a leak
    // checker sees nothing left behind).
    while (!delivered && std::chrono::steady_clock::now() - started < 5s)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(delivered);
}

}
}
