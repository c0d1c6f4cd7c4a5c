#pragma once

#include "platform/core/TaskQueue.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace ikw {

// A main queue for tests: nothing runs until the test drains it, and time moves only when the
// test advances the fake clock. Tasks may be posted from any thread.
class ManualMainQueue final : public MainQueue {
public:
    ManualMainQueue();
    ~ManualMainQueue() override;

    void post(Task task) override;
    void postAfter(double seconds, Task task) override;
    [[nodiscard]] Timer schedule(double seconds, bool repeats, Task task) override;
    void cancelTimer(std::uint64_t id) override;
    double now() const override;
    bool isMainThread() const override;

    // Runs posted tasks (including those they post) until none is left. Returns how many ran.
    int drain();
    // Moves the clock forward, firing due timers in time order and draining after each.
    void advance(double seconds);
    // Waits in real time for work posted by other threads, draining it, until `done` holds.
    // Returns false when `realSeconds` pass first.
    bool runUntil(const std::function<bool()>& done, double realSeconds = 10.0);

    std::size_t pendingTimerCount() const;

private:
    struct TimerEntry {
        std::uint64_t id;
        double interval;
        bool repeats;
        Task task;
    };
    using TimerKey = std::pair<double, std::uint64_t>; // due time, then scheduling order

    bool popTask(Task& task);
    bool fireNextTimerDueBy(double limit);

    mutable std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<Task> m_tasks;
    std::map<TimerKey, TimerEntry> m_timers;
    double m_now = 0;
    std::uint64_t m_nextId = 1;
    std::thread::id m_mainThread;
    MainQueue* m_previous;
};

}
