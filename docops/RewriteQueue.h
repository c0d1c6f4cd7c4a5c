#pragma once

#include "platform/core/TaskQueue.h"

#include <deque>
#include <map>
#include <mutex>
#include <string>

namespace ikw::docops {

// Runs file rewrites on background workers, one after another for each file: a rewrite of a path
// starts only when the previous one of the same path has finished, so each reopens what the last
// one wrote and no edit is lost to a later swap. Rewrites of different paths run side by side.
// submit() may be called from any thread; the queue must outlive the work it was given.
class RewriteQueue {
public:
    explicit RewriteQueue(TaskQueue& workers) : m_workers(workers) {}
    RewriteQueue(const RewriteQueue&) = delete;
    RewriteQueue& operator=(const RewriteQueue&) = delete;

    void submit(const std::string& path, Task rewrite);
    // Background work that touches no file of its own (reading dropped files, say).
    void post(Task task) { m_workers.post(std::move(task)); }

    // The key of a path: the file's canonical path, so that two spellings of one file share it.
    static std::string keyFor(const std::string& path);

private:
    void start(std::string key, Task rewrite);

    TaskQueue& m_workers;
    std::mutex m_mutex;
    // A key is present while a rewrite of it runs; its deque holds the ones waiting.
    std::map<std::string, std::deque<Task>> m_waiting;
};

}
