#include "platform/secrets/SecretCall.h"

#include "platform/core/Text.h"

namespace ikw::secrets {

namespace {

// How long a cancelled call may take to wind down before it is abandoned.
constexpr std::chrono::milliseconds kCancelGrace { 1000 };

struct PendingCall {
    GAsyncResult* result = nullptr;
};

void storeResult(GObject*, GAsyncResult* result, gpointer data)
{
    static_cast<PendingCall*>(data)->result = G_ASYNC_RESULT(g_object_ref(result));
}

gboolean setFlag(gpointer flag)
{
    *static_cast<bool*>(flag) = true;
    return G_SOURCE_REMOVE;
}

struct ContextUnref {
    void operator()(GMainContext* context) const { g_main_context_unref(context); }
};

// Iterates `context` until the call has ended or `timeout` has passed; true when it ended.
bool iterateUntilDone(GMainContext* context, const PendingCall& call, std::chrono::milliseconds timeout)
{
    bool expired = false;
    GSource* timer = g_timeout_source_new(static_cast<guint>(timeout.count()));
    g_source_set_callback(timer, setFlag, &expired, nullptr);
    g_source_attach(timer, context);
    while (!call.result && !expired)
        g_main_context_iteration(context, TRUE);
    g_source_destroy(timer);
    g_source_unref(timer);
    return call.result != nullptr;
}

}

SecretCall runSecretCall(std::chrono::milliseconds timeout, const StartSecretCall& start)
{
    const std::unique_ptr<GMainContext, ContextUnref> context(g_main_context_new());
    const std::unique_ptr<GCancellable, ObjectUnref> cancellable(g_cancellable_new());
    // Freed when the call ends. A call that does not even end after its cancellation keeps it:
    // its completion could only run in this private context, which nobody iterates any more.
    auto call = std::make_unique<PendingCall>();

    g_main_context_push_thread_default(context.get());
    start(cancellable.get(), storeResult, call.get());
    SecretCall outcome;
    if (!iterateUntilDone(context.get(), *call, timeout)) {
        outcome.timedOut = true;
        outcome.timeoutMessage = "secret service did not answer within " + formatDouble(timeout.count() / 1000.0) + " s";
        g_cancellable_cancel(cancellable.get());
        iterateUntilDone(context.get(), *call, kCancelGrace);
    }
    g_main_context_pop_thread_default(context.get());

    if (!call->result) {
        call.release();
        return outcome;
    }
    outcome.result.reset(call->result);
    return outcome;
}

}
