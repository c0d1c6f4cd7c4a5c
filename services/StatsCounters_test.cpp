#include "services/StatsCounters.h"

#include <gtest/gtest.h>

#include <limits>

namespace ikw::services {
namespace {

std::vector<std::string> dayNames(int first, int count)
{
    std::vector<std::string> names;
    for (int i = first; i < first + count; ++i)
        names.push_back("day" + std::to_string(i));
    return names;
}

TEST(StatsCounters, SessionsCountLaunchesAndDistinctNewestDays)
{
    StatsCounters counters;
    counters.countSession("2026-03-05");
    counters.countSession("2026-03-05");
    EXPECT_EQ(counters.launches, 2);
    EXPECT_EQ(counters.days, std::vector<std::string>({ "2026-03-05" }));

    // Only the newest day is compared: after the clock went back, a day already listed comes again.
    counters.countSession("2026-03-06");
    counters.countSession("2026-03-05");
    EXPECT_EQ(counters.days, std::vector<std::string>({ "2026-03-05", "2026-03-06", "2026-03-05" }));
}

TEST(StatsCounters, CountsStopAtTheirLargestValue)
{
    constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();
    StatsCounters counters;
    counters.features["export"] = { largest, 10, 20 };
    counters.funnels["share.open"] = largest;
    counters.launches = largest;
    counters.countFeature("export", 30);
    counters.countFunnelStep("share.open");
    counters.countSession("2026-03-05");
    EXPECT_EQ(counters.features["export"], (FeatureUse { largest, 10, 30 }));
    EXPECT_EQ(counters.funnels["share.open"], largest);
    EXPECT_EQ(counters.launches, largest);
}

TEST(StatsCounters, KeepsTheLastSixtyDays)
{
    StatsCounters counters;
    for (const auto& day : dayNames(0, 61))
        counters.countSession(day);
    EXPECT_EQ(counters.launches, 61);
    EXPECT_EQ(counters.days, dayNames(1, 60));
}

}
}
