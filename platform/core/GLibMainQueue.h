#pragma once

#include "platform/core/TaskQueue.h"

#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

typedef struct _GMainContext GMainContext;

namespace ikw {

// Runs the task on whichever thread runs `context`, after `seconds` (0: when it is next idle);
// tasks of one context run in the order posted. Any thread may post.
void postToContext(GMainContext* context, double seconds, Task task);

// The main queue on the GLib main context that GTK's loop runs.
class GLibMainQueue final : public MainQueue {
public:
    GLibMainQueue();
    ~GLibMainQueue() override;

    void post(Task task) override;
    void postAfter(double seconds, Task task) override;
    [[nodiscard]] Timer schedule(double seconds, bool repeats, Task task) override;
    void cancelTimer(std::uint64_t id) override;
    double now() const override;
    bool isMainThread() const override;

    // Runs the default main context until quit() (for programs without a GTK application).
    void run();
    void quit();

private:
    struct TimerSource;
    static int fireTimer(void* data);

    GMainContext* m_context;
    std::thread::id m_mainThread;
    std::uint64_t m_nextTimerId = 1;
    std::unordered_map<std::uint64_t, unsigned> m_sourceIds;
    bool m_quit = false;
};

}
