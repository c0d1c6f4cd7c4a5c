#include "services/StatsCounters.h"

#include <limits>

namespace ikw::services {

namespace {

// Counts stop at the largest value a count can hold rather than wrapping round to a negative one.
void countOne(std::int64_t& count)
{
    if (count < std::numeric_limits<std::int64_t>::max())
        ++count;
}

}

void StatsCounters::countFeature(const std::string& id, UnixTime now)
{
    auto [entry, inserted] = features.try_emplace(id, FeatureUse { 1, now, now });
    if (!inserted) {
        countOne(entry->second.n);
        entry->second.last = now;
    }
}

void StatsCounters::countFunnelStep(const std::string& key)
{
    countOne(funnels[key]);
}

void StatsCounters::countSession(const std::string& day)
{
    countOne(launches);
    if (!days.empty() && days.back() == day)
        return;
    days.push_back(day);
    if (days.size() > activeDayWindow)
        days.erase(days.begin(), days.end() - activeDayWindow);
}

}
