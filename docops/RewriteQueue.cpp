#include "docops/RewriteQueue.h"

#include <climits>
#include <cstdlib>
#include <memory>

namespace ikw::docops {

std::string RewriteQueue::keyFor(const std::string& path)
{
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : path;
}

void RewriteQueue::submit(const std::string& path, Task rewrite)
{
    std::string key = keyFor(path);
    {
        const std::lock_guard lock(m_mutex);
        const auto [entry, idle] = m_waiting.try_emplace(key);
        if (!idle) {
            entry->second.push_back(std::move(rewrite));
            return;
        }
    }
    start(std::move(key), std::move(rewrite));
}

void RewriteQueue::start(std::string key, Task rewrite)
{
    m_workers.post([this, key = std::move(key), rewrite = std::move(rewrite)]() mutable {
        rewrite();
        rewrite = nullptr;
        Task next;
        {
            const std::lock_guard lock(m_mutex);
            const auto entry = m_waiting.find(key);
            if (entry->second.empty()) {
                m_waiting.erase(entry);
                return;
            }
            next = std::move(entry->second.front());
            entry->second.pop_front();
        }
        start(std::move(key), std::move(next));
    });
}

}
