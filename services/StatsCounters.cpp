#include "services/StatsCounters.h"

namespace ikw::services {

void StatsCounters::countFeature(const std::string& id, UnixTime now)
{
    auto [entry, inserted] = features.try_emplace(id, FeatureUse { 1, now, now });
    if (!inserted) {
        ++entry->second.n;
        entry->second.last = now;
    }
}

void StatsCounters::countFunnelStep(const std::string& key)
{
    ++funnels[key];
}

void StatsCounters::countSession(const std::string& day)
{
    ++launches;
    if (!days.empty() && days.back() == day)
        return;
    days.push_back(day);
    if (days.size() > activeDayWindow)
        days.erase(days.begin(), days.end() - activeDayWindow);
}

}
