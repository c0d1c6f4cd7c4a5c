#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ikw::services {

// Seconds since 1970-01-01 00:00:00 UTC: how usage-stats.json stores its dates.
using UnixTime = double;

struct FeatureUse {
    std::int64_t n = 0;
    UnixTime first = 0;
    UnixTime last = 0;

    bool operator==(const FeatureUse&) const = default;
};

// The usage counters as one value. The store keeps one on its queue; loading and writing the
// file convert to and from it.
struct StatsCounters {
    // How many of the most recent active days are kept.
    static constexpr std::size_t activeDayWindow = 60;

    std::map<std::string, FeatureUse> features;
    std::map<std::string, std::int64_t> funnels; // "flow.step" -> arrivals
    std::int64_t launches = 0;
    std::vector<std::string> days; // day keys, oldest first

    void countFeature(const std::string& id, UnixTime now);
    void countFunnelStep(const std::string& key);
    // One launch on `day`. Only the newest day is compared, so after the clock was set back an
    // older day is appended again rather than searched for.
    void countSession(const std::string& day);

    bool operator==(const StatsCounters&) const = default;
};

}
