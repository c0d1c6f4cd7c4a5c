#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>

namespace ikw::thumbnail {

// The pixels that full-size decodes may hold at once, across every job of a run: a job waits until
// its image fits, and an image larger than the whole budget is refused, so that six large images
// at once cannot exhaust memory. Shared by the tool and its image module.
class PixelBudget {
public:
    // A share of the budget, given back when dropped.
    class Lease {
    public:
        Lease(Lease&& other) noexcept : m_budget(std::exchange(other.m_budget, nullptr)), m_pixels(other.m_pixels) {}
        Lease& operator=(Lease&&) = delete;
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ~Lease()
        {
            if (m_budget)
                m_budget->giveBack(m_pixels);
        }

    private:
        friend class PixelBudget;
        Lease(PixelBudget* budget, std::uint64_t pixels) : m_budget(budget), m_pixels(pixels) {}
        PixelBudget* m_budget;
        std::uint64_t m_pixels;
    };

    explicit PixelBudget(std::uint64_t pixels) : m_free(pixels), m_total(pixels) {}
    PixelBudget(const PixelBudget&) = delete;
    PixelBudget& operator=(const PixelBudget&) = delete;

    std::uint64_t total() const { return m_total; }

    // Waits until `pixels` are free; nothing when they exceed the whole budget.
    std::optional<Lease> reserve(std::uint64_t pixels)
    {
        if (pixels > m_total)
            return std::nullopt;
        std::unique_lock lock(m_mutex);
        m_returned.wait(lock, [&] { return pixels <= m_free; });
        m_free -= pixels;
        return Lease(this, pixels);
    }

private:
    void giveBack(std::uint64_t pixels)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_free += pixels;
        }
        m_returned.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_returned;
    std::uint64_t m_free;
    const std::uint64_t m_total;
};

}
