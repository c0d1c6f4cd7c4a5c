#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace ikw {

using Task = std::function<void()>;

// A queue that runs tasks one after another or side by side, depending on the implementation.
// post() and postAfter() may be called from any thread.
class TaskQueue {
public:
    virtual ~TaskQueue() = default;
    virtual void post(Task task) = 0;
    virtual void postAfter(double seconds, Task task) = 0;
};

class MainQueue;

// A scheduled timer on the main queue. Destroying or cancelling the handle stops the timer;
// a default-constructed handle holds nothing.
class Timer {
public:
    Timer() = default;
    Timer(MainQueue* queue, std::uint64_t id) : m_queue(queue), m_id(id) {}
    Timer(Timer&& other) noexcept { *this = std::move(other); }
    Timer& operator=(Timer&& other) noexcept;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer() { cancel(); }

    void cancel();
    bool isScheduled() const { return m_queue != nullptr; }

private:
    MainQueue* m_queue = nullptr;
    std::uint64_t m_id = 0;
};

// The queue of the main thread: windows, web views and most state live on it.
class MainQueue : public TaskQueue {
public:
    // A timer firing after `seconds` (and every `seconds` after that when `repeats`).
    // Must be called on the main thread, like cancelTimer().
    [[nodiscard]] virtual Timer schedule(double seconds, bool repeats, Task task) = 0;
    virtual void cancelTimer(std::uint64_t id) = 0;
    // Monotonic seconds of this queue's clock.
    virtual double now() const = 0;
    virtual bool isMainThread() const = 0;
};

// The process's main queue. The program installs the GLib-backed queue at start; tests install
// a manual queue. Installing returns the previous one so that scopes can restore it.
MainQueue& mainQueue();
MainQueue* installMainQueue(MainQueue* queue);

class ScopedMainQueue {
public:
    explicit ScopedMainQueue(MainQueue& queue) : m_previous(installMainQueue(&queue)) {}
    ~ScopedMainQueue() { installMainQueue(m_previous); }
    ScopedMainQueue(const ScopedMainQueue&) = delete;
    ScopedMainQueue& operator=(const ScopedMainQueue&) = delete;

private:
    MainQueue* m_previous;
};

}
