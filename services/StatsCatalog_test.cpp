#include "services/StatsCatalog.h"

#include <gtest/gtest.h>

#include <ctime>

namespace ikw::services {
namespace {

TEST(StatsCatalog, AppKeyFromIdentifier)
{
    const struct {
        const char* identifier;
        const char* key;
    } cases[] = {
        { "", "inkwarden-mac" },
        { "com.acme.", "inkwarden-mac" },
        { "com.acme.tool", "tool-mac" },
        { "tool", "tool-mac" },
        { "com.norvale.inkwarden", "inkwarden-mac" },
        { "com.norvale.culmoraphotos", "culmora-photos-mac" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Stats::appKey(c.identifier), c.key) << '"' << c.identifier << '"';
}

UnixTime localTime(int hour, int minute, int second)
{
    std::tm local {};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 5;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return static_cast<UnixTime>(std::mktime(&local));
}

TEST(StatsCatalog, DayKeyIsTheLocalDate)
{
    // Both ends of the local day: a UTC date would be off at one of them in most zones.
    EXPECT_EQ(Stats::dayKey(localTime(0, 0, 30)), "2026-03-05");
    EXPECT_EQ(Stats::dayKey(localTime(23, 59, 30) + 0.5), "2026-03-05");
}

TEST(StatsCatalog, OnlyListedFeaturesAndShareStepsCount)
{
    EXPECT_TRUE(Stats::isKnownFeature("doc.open"));
    EXPECT_TRUE(Stats::isKnownFeature("tab.reopen_empty"));
    EXPECT_FALSE(Stats::isKnownFeature("sync.joinlibrary"));
    EXPECT_FALSE(Stats::isKnownFeature("multidoc.switch_grid"));
    EXPECT_TRUE(Stats::isKnownStep("share", "rendered"));
    EXPECT_FALSE(Stats::isKnownStep("share", "shared"));
    EXPECT_FALSE(Stats::isKnownStep("sync", "invoked"));
}

}
}
