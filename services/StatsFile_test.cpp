#include "services/StatsFile.h"

#include "platform/core/Json.h"

#include <gtest/gtest.h>

#include <ostream>

namespace ikw::services {

void PrintTo(const StatsCounters& counters, std::ostream* out)
{
    *out << statsFileText(counters, "", 0);
}

namespace {

constexpr UnixTime loadTime = 500;

std::string daysFile(int count)
{
    Json days = Json::array();
    for (int i = 0; i < count; ++i)
        days.push_back("day" + std::to_string(i));
    return toPlainJson({ { "features", Json::object() }, { "activity", { { "launches", 12 }, { "days", days } } } });
}

StatsCounters withFeatures(std::map<std::string, FeatureUse> features)
{
    StatsCounters counters;
    counters.features = std::move(features);
    return counters;
}

StatsCounters withFunnels(std::map<std::string, std::int64_t> funnels)
{
    StatsCounters counters;
    counters.funnels = std::move(funnels);
    return counters;
}

StatsCounters daysCounters(int first, int count, std::int64_t launches)
{
    StatsCounters counters;
    counters.launches = launches;
    for (int i = first; i < first + count; ++i)
        counters.days.push_back("day" + std::to_string(i));
    return counters;
}

TEST(StatsFile, Loading)
{
    const struct {
        const char* name;
        std::string text;
        StatsCounters expected;
    } cases[] = {
        { "not JSON", "{\"features\":", {} },
        { "not an object", "[]", {} },
        { "activity and funnels without features load nothing",
            R"({"activity":{"launches":7,"days":["2026-01-01"]},"funnels":{"share.invoked":3}})", {} },
        { "a feature that is no object loads nothing",
            R"({"features":{"doc.open":{"n":1},"doc.grid":3},"activity":{"launches":7}})", {} },
        { "missing dates, bad counts and unknown ids",
            R"({"features":{"doc.open":{"n":4},"doc.grid":{"n":2,"first":100},"doc.ask":{"n":1,"first":100,"last":"later"},
                "doc.print":{"n":"4"},"doc.edit":{"n":1.5},"doc.bates":{"first":1},"sync.joinlibrary":{"n":9}}})",
            withFeatures({ { "doc.open", { 4, loadTime, loadTime } }, { "doc.grid", { 2, 100, 100 } }, { "doc.ask", { 1, 100, 100 } } }) },
        { "funnel keys must name a share step, kept as read",
            R"({"features":{},"funnels":{"share.invoked.x":1,".share.invoked":2,"share.rendered":3,"sync.invoked":4,"share.":5,"share":6,
                "share..copied":7,"share.copied.":8}})",
            withFunnels({ { ".share.invoked", 2 }, { "share.rendered", 3 } }) },
        { "one bad funnel count drops all funnels",
            R"({"features":{},"funnels":{"share.rendered":3,"share.copied":"1"}})", {} },
        { "the last 60 of 100 days", daysFile(100), daysCounters(40, 60, 12) },
        { "bad launches and days",
            R"({"features":{},"activity":{"launches":"12","days":["2026-01-01",1]}})", {} },
        { "activity that is no object",
            R"({"features":{"doc.open":{"n":1,"first":1,"last":2}},"activity":[3]})",
            withFeatures({ { "doc.open", { 1, 1, 2 } } }) },
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseStatsFile(c.text, loadTime), c.expected) << c.name;
}

TEST(StatsFile, WritesEveryMemberAndReadsItBack)
{
    const Json empty = *parseJson(statsFileText({}, "inkwarden-mac", 1234.5));
    EXPECT_EQ(empty, Json::parse(R"({"app":"inkwarden-mac","schema":2,"updated":1234.5,"features":{},"funnels":{},
        "activity":{"launches":0,"days":[]}})"));

    const StatsCounters counters {
        .features = { { "doc.open", { 3, 10.25, 20.5 } } },
        .funnels = { { "share.invoked", 2 } },
        .launches = 4,
        .days = { "2026-03-05", "2026-03-06" },
    };
    const std::string text = statsFileText(counters, "tool-mac", 30);
    EXPECT_NE(text.find('\n'), std::string::npos) << "pretty-printed";
    EXPECT_EQ(parseStatsFile(text, loadTime), counters);
}

}
}
