#include "platform/core/WorkQueue.h"

#include <algorithm>

namespace ikw {

WorkQueue::WorkQueue(std::string label, unsigned workerCount)
    : m_label(std::move(label))
    , m_maxWorkers(std::max(1u, workerCount))
{
    m_workers.reserve(m_maxWorkers);
}

WorkQueue::~WorkQueue()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (auto& worker : m_workers)
        worker.join();
}

void WorkQueue::post(Task task)
{
    {
        std::lock_guard lock(m_mutex);
        m_ready.push_back(std::move(task));
        startWorkerIfNeeded(false);
    }
    m_wake.notify_one();
}

void WorkQueue::startWorkerIfNeeded(bool fromWorkerLoop)
{
    const std::size_t freeWorkers = m_waiting + (fromWorkerLoop ? 1 : 0);
    const std::size_t wanted = m_ready.size() + (m_delayed.empty() ? 0 : 1);
    if (wanted > freeWorkers && m_workers.size() < m_maxWorkers && !m_stopping)
        m_workers.emplace_back([this] { workerLoop(); });
}

void WorkQueue::postAfter(double seconds, Task task)
{
    const auto due = std::chrono::steady_clock::now()
        + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(std::max(0.0, seconds)));
    {
        std::lock_guard lock(m_mutex);
        m_delayed.emplace(due, std::move(task));
        startWorkerIfNeeded(false);
    }
    m_wake.notify_all();
}

void WorkQueue::promoteDueTasks(std::chrono::steady_clock::time_point now)
{
    while (!m_delayed.empty() && m_delayed.begin()->first <= now) {
        m_ready.push_back(std::move(m_delayed.begin()->second));
        m_delayed.erase(m_delayed.begin());
    }
}

void WorkQueue::workerLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        promoteDueTasks(std::chrono::steady_clock::now());
        startWorkerIfNeeded(true);
        if (!m_ready.empty()) {
            Task task = std::move(m_ready.front());
            m_ready.pop_front();
            ++m_running;
            lock.unlock();
            task();
            task = nullptr;
            lock.lock();
            --m_running;
            if (m_ready.empty() && m_running == 0)
                m_idle.notify_all();
            continue;
        }
        if (m_stopping)
            return;
        ++m_waiting;
        if (m_delayed.empty())
            m_wake.wait(lock);
        else
            m_wake.wait_until(lock, m_delayed.begin()->first);
        --m_waiting;
    }
}

void WorkQueue::waitUntilIdle()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_ready.empty() && m_running == 0; });
}

bool WorkQueue::isCurrentThreadWorker() const
{
    const auto self = std::this_thread::get_id();
    std::lock_guard lock(m_mutex);
    return std::any_of(m_workers.begin(), m_workers.end(), [self](const std::thread& t) { return t.get_id() == self; });
}

std::unique_ptr<WorkQueue> makeConcurrentQueue(std::string label)
{
    return std::make_unique<WorkQueue>(std::move(label), std::max(2u, std::thread::hardware_concurrency()));
}

}
