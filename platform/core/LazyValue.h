#pragma once

#include <functional>
#include <mutex>
#include <utility>

namespace ikw {

// A value computed at its first use, once, whichever thread comes first. Reads and writes may come
// from any thread; a write before the first read still runs the computation first, so its side
// effects happen exactly once, and the written value then replaces the computed one.
template<typename T>
class LazyValue {
public:
    explicit LazyValue(std::function<T()> compute) : m_compute(std::move(compute)) {}
    LazyValue(const LazyValue&) = delete;
    LazyValue& operator=(const LazyValue&) = delete;

    T get() const
    {
        computeOnce();
        std::lock_guard lock(m_mutex);
        return m_value;
    }

    void set(T value)
    {
        computeOnce();
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
    }

private:
    void computeOnce() const
    {
        std::call_once(m_once, [this] { m_value = m_compute(); });
    }

    std::function<T()> m_compute;
    mutable std::once_flag m_once;
    mutable std::mutex m_mutex;
    mutable T m_value {};
};

}
