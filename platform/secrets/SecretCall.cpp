#include "platform/secrets/SecretCall.h"

#include "platform/core/Text.h"

#include <thread>

namespace ikw::secrets {

namespace {

// How long a cancelled call may take to wind down before it is abandoned.
constexpr std::chrono::milliseconds kCancelGrace { 1000 };

// One call's end, shared by the waiting thread and the completion: whichever lets go last frees it.
struct PendingCall {
    std::unique_ptr<GAsyncResult, ObjectUnref> result;
};

using SharedCall = std::shared_ptr<PendingCall>;

// The completion's share travels as its user data and is released when the completion runs.
void storeResult(GObject*, GAsyncResult* result, gpointer data)
{
    const std::unique_ptr<SharedCall> share(static_cast<SharedCall*>(data));
    (*share)->result.reset(G_ASYNC_RESULT(g_object_ref(result)));
}

gboolean setFlag(gpointer flag)
{
    *static_cast<bool*>(flag) = true;
    return G_SOURCE_REMOVE;
}

struct ContextUnref {
    void operator()(GMainContext* context) const { g_main_context_unref(context); }
};
using ContextHolder = std::unique_ptr<GMainContext, ContextUnref>;

// A call that ignored its cancellation can still answer, but only in its private context: a
// thread of its own keeps iterating that context until the answer comes and then frees the call,
// its context and itself. A call that never answers keeps only that thread waiting.
void awaitAbandonedCall(ContextHolder context, SharedCall call)
{
    std::thread([context = std::move(context), call = std::move(call)] {
        while (!call->result)
            g_main_context_iteration(context.get(), TRUE);
    }).detach();
}

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

// Dispatches what is already queued on `context`, without waiting for more.
void runDry(GMainContext* context)
{
    while (g_main_context_iteration(context, FALSE)) { }
}

}

SecretCall runSecretCall(std::chrono::milliseconds timeout, const StartSecretCall& start, const FinishSecretCall& finish)
{
    ContextHolder context(g_main_context_new());
    const std::unique_ptr<GCancellable, ObjectUnref> cancellable(g_cancellable_new());
    const auto call = std::make_shared<PendingCall>();

    g_main_context_push_thread_default(context.get());
    start(cancellable.get(), storeResult, new SharedCall(call));
    SecretCall outcome;
    if (!iterateUntilDone(context.get(), *call, timeout)) {
        outcome.timedOut = true;
        outcome.timeoutMessage = "secret service did not answer within " + formatDouble(timeout.count() / 1000.0) + " s";
        g_cancellable_cancel(cancellable.get());
        iterateUntilDone(context.get(), *call, kCancelGrace);
    }
    const bool answered = call->result != nullptr;
    if (answered && finish) {
        finish(call->result.get());
        call->result.reset(); // what the call itself still holds goes while its context runs
        runDry(context.get());
    } else if (answered) {
        outcome.result = std::move(call->result);
    }
    g_main_context_pop_thread_default(context.get());

    if (!answered)
        awaitAbandonedCall(std::move(context), call);
    return outcome;
}

}
