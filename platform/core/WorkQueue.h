#pragma once

#include "platform/core/TaskQueue.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ikw {

// Background queue on std::thread workers. With one worker it is serial: tasks run one after
// another in the order posted. Destroying the queue runs the tasks already posted (not the
// delayed ones still waiting), then joins the workers.
class WorkQueue final : public TaskQueue {
public:
    explicit WorkQueue(std::string label, unsigned workerCount = 1);
    ~WorkQueue() override;
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    void post(Task task) override;
    void postAfter(double seconds, Task task) override;

    // Blocks until every task posted before this call has run (delayed tasks not due are skipped).
    void waitUntilIdle();

    const std::string& label() const { return m_label; }
    bool isCurrentThreadWorker() const;

private:
    void workerLoop();
    void promoteDueTasks(std::chrono::steady_clock::time_point now);

    std::string m_label;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Task> m_ready;
    std::multimap<std::chrono::steady_clock::time_point, Task> m_delayed;
    unsigned m_running = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};

// A serial queue: one worker.
inline std::unique_ptr<WorkQueue> makeSerialQueue(std::string label)
{
    return std::make_unique<WorkQueue>(std::move(label), 1);
}

// A concurrent queue sized to the machine (at least two workers).
std::unique_ptr<WorkQueue> makeConcurrentQueue(std::string label);

}
