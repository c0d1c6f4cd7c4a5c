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
// delayed ones still waiting), then joins the workers. Workers start as work arrives: one more
// whenever a task is posted and no worker is free, up to `workerCount`, so a queue that is seldom
// busy costs few threads and a short-lived program using one never starts the rest.
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
    // Starts a worker when the ready tasks, and the delayed ones' need of a worker to wait for
    // them, outnumber the workers free to take them (the worker loop counts itself as one);
    // called under the lock.
    void startWorkerIfNeeded(bool fromWorkerLoop);

    std::string m_label;
    unsigned m_maxWorkers = 1;
    unsigned m_waiting = 0;
    mutable std::mutex m_mutex;
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
