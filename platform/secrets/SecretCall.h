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
using FinishSecretCall = std::function<void(GAsyncResult*)>;

// Runs one asynchronous GIO-style call to its end on a private main context, so that it can be
// cancelled when `timeout` passes (the blocking variants of libsecret cannot be). Blocks the
// calling thread, which may be any thread, the main thread included.
//
// `finish`, when given, reads an answered call's result while the private context is still the
// thread's default. Objects it lets go of (D-Bus proxies) queue their clean-up on that context,
// which is run dry before it is dropped, so nothing they hold is left behind.
SecretCall runSecretCall(std::chrono::milliseconds timeout, const StartSecretCall& start, const FinishSecretCall& finish = {});

}
