#pragma once

#include <gio/gio.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace ikw::secrets {

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};

// The end of one asynchronous call: its result, unless the call was given up.
struct SecretCall {
    std::unique_ptr<GAsyncResult, ObjectUnref> result;
    bool timedOut = false;
    std::string timeoutMessage;
};

using StartSecretCall = std::function<void(GCancellable*, GAsyncReadyCallback, gpointer)>;

// Runs one asynchronous GIO-style call to its end on a private main context, so that it can be
// cancelled when `timeout` passes (the blocking variants of libsecret cannot be). Blocks the
// calling thread, which may be any thread, the main thread included.
SecretCall runSecretCall(std::chrono::milliseconds timeout, const StartSecretCall& start);

}
