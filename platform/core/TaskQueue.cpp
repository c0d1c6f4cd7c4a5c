#include "platform/core/TaskQueue.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace ikw {

Timer& Timer::operator=(Timer&& other) noexcept
{
    if (this != &other) {
        cancel();
        m_queue = other.m_queue;
        m_id = other.m_id;
        other.m_queue = nullptr;
    }
    return *this;
}

void Timer::cancel()
{
    if (auto* queue = m_queue) {
        m_queue = nullptr;
        queue->cancelTimer(m_id);
    }
}

namespace {
std::atomic<MainQueue*> g_mainQueue { nullptr };
}

MainQueue& mainQueue()
{
    MainQueue* queue = g_mainQueue.load(std::memory_order_acquire);
    if (!queue) {
        std::fputs("Inkwarden: no main queue installed\n", stderr);
        std::abort();
    }
    return *queue;
}

MainQueue* installMainQueue(MainQueue* queue)
{
    return g_mainQueue.exchange(queue, std::memory_order_acq_rel);
}

}
