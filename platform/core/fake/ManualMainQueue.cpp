#include "platform/core/fake/ManualMainQueue.h"

namespace ikw {

ManualMainQueue::ManualMainQueue()
    : m_mainThread(std::this_thread::get_id())
    , m_previous(installMainQueue(this))
{
}

ManualMainQueue::~ManualMainQueue()
{
    installMainQueue(m_previous);
}

void ManualMainQueue::post(Task task)
{
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_posted.notify_all();
}

void ManualMainQueue::postAfter(double seconds, Task task)
{
    std::lock_guard lock(m_mutex);
    const std::uint64_t id = m_nextId++;
    m_timers.emplace(TimerKey { m_now + std::max(0.0, seconds), id }, TimerEntry { id, 0, false, std::move(task) });
}

Timer ManualMainQueue::schedule(double seconds, bool repeats, Task task)
{
    std::lock_guard lock(m_mutex);
    const std::uint64_t id = m_nextId++;
    const double interval = std::max(0.0, seconds);
    m_timers.emplace(TimerKey { m_now + interval, id }, TimerEntry { id, interval, repeats, std::move(task) });
    return Timer(this, id);
}

void ManualMainQueue::cancelTimer(std::uint64_t id)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_timers, [id](const auto& entry) { return entry.second.id == id; });
}

double ManualMainQueue::now() const
{
    std::lock_guard lock(m_mutex);
    return m_now;
}

bool ManualMainQueue::isMainThread() const
{
    return std::this_thread::get_id() == m_mainThread;
}

bool ManualMainQueue::popTask(Task& task)
{
    std::lock_guard lock(m_mutex);
    if (m_tasks.empty())
        return false;
    task = std::move(m_tasks.front());
    m_tasks.pop_front();
    return true;
}

int ManualMainQueue::drain()
{
    int count = 0;
    Task task;
    while (popTask(task)) {
        task();
        ++count;
    }
    return count;
}

bool ManualMainQueue::fireNextTimerDueBy(double limit)
{
    Task task;
    {
        std::lock_guard lock(m_mutex);
        if (m_timers.empty() || m_timers.begin()->first.first > limit)
            return false;
        auto node = m_timers.extract(m_timers.begin());
        m_now = std::max(m_now, node.key().first);
        TimerEntry& entry = node.mapped();
        task = entry.task;
        if (entry.repeats && entry.interval > 0) {
            node.key() = TimerKey { m_now + entry.interval, node.key().second };
            m_timers.insert(std::move(node));
        }
    }
    task();
    return true;
}

void ManualMainQueue::advance(double seconds)
{
    double target;
    {
        std::lock_guard lock(m_mutex);
        target = m_now + std::max(0.0, seconds);
    }
    drain();
    while (fireNextTimerDueBy(target))
        drain();
    {
        std::lock_guard lock(m_mutex);
        m_now = target;
    }
    drain();
}

bool ManualMainQueue::runUntil(const std::function<bool()>& done, double realSeconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(realSeconds);
    for (;;) {
        drain();
        if (done())
            return true;
        std::unique_lock lock(m_mutex);
        if (!m_posted.wait_until(lock, deadline, [this] { return !m_tasks.empty(); }))
            return done();
    }
}

std::size_t ManualMainQueue::pendingTimerCount() const
{
    std::lock_guard lock(m_mutex);
    return m_timers.size();
}

}
