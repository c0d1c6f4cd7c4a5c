#pragma once

#include "platform/core/TaskQueue.h"

#include <string>
#include <thread>

typedef struct _GMainContext GMainContext;
typedef struct _GMainLoop GMainLoop;

namespace ikw::http {

// A serial queue: one thread running a GLib main context of its own, which is that thread's
// default context, so GIO's asynchronous calls made on it complete on it. post() and postAfter()
// may be called from any thread; tasks run one after another in the order posted.
class ContextThread final : public TaskQueue {
public:
    // `name` names the thread for debuggers (its first 15 bytes).
    explicit ContextThread(const std::string& name);
    // Runs the tasks already posted, stops the loop and joins the thread (delayed tasks not due are
    // dropped). From the thread itself (its last task let go of the queue) the thread is left to
    // end on its own.
    ~ContextThread() override;
    ContextThread(const ContextThread&) = delete;
    ContextThread& operator=(const ContextThread&) = delete;

    void post(Task task) override;
    void postAfter(double seconds, Task task) override;

private:
    GMainContext* m_context;
    GMainLoop* m_loop;
    std::thread m_thread;
};

}
