#include "legal/BatesStart.h"

#include <gtest/gtest.h>

#include <limits>

namespace ikw::legal::BatesStamper {
namespace {

LoadedManifest withRanges(std::vector<std::pair<std::int64_t, std::int64_t>> ranges)
{
    LoadedManifest loaded { ManifestStatus::loaded, {} };
    for (const auto& [begin, end] : ranges)
        loaded.manifest.assigned.push_back({ begin, end, "2026-12-10T13:45:07Z" });
    return loaded;
}

TEST(BatesStart, ContinuesAfterUsedRangesAndRefusesToReuseNumbers)
{
    constexpr std::int64_t max = maxBatesNumber;
    constexpr std::int64_t huge = std::numeric_limits<std::int64_t>::max();
    struct Case {
        std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
        std::optional<std::int64_t> explicitStart;
        std::int64_t pages;
        std::optional<std::int64_t> start;
        std::string refusal; // collision unless it is the number limit
    };
    const Case cases[] = {
        { {}, std::nullopt, 5, 1, "" },
        { { { 1, 10 }, { 20, 30 } }, std::nullopt, 5, 31, "" },
        { { { 1, 10 }, { 20, 30 } }, 20, 1, std::nullopt,
            "Bates ABC000020 is already assigned (ABC000020\u2013ABC000030). Start at ABC000031 or later." },
        { { { 1, 10 }, { 20, 30 } }, 30, 1, std::nullopt,
            "Bates ABC000030 is already assigned (ABC000020\u2013ABC000030). Start at ABC000031 or later." },
        { { { 1, 10 }, { 20, 30 } }, 5, 1, std::nullopt,
            "Bates ABC000005 is already assigned (ABC000001\u2013ABC000010). Start at ABC000031 or later." },
        // A run that would stamp nothing new is still refused a used start.
        { { { 1, 10 } }, 5, 0, std::nullopt,
            "Bates ABC000005 is already assigned (ABC000001\u2013ABC000010). Start at ABC000011 or later." },
        { { { 1, 10 }, { 20, 30 } }, 15, 5, 15, "" },
        { { { 1, 10 }, { 20, 30 } }, 15, 6, std::nullopt,
            "Bates ABC000015\u2013ABC000020 would run into ABC000020\u2013ABC000030. Start at ABC000031 or later." },
        // The range named is the first the run would reach, not the first recorded.
        { { { 40, 50 }, { 20, 30 } }, 11, 100, std::nullopt,
            "Bates ABC000011\u2013ABC000110 would run into ABC000020\u2013ABC000030. Start at ABC000051 or later." },
        { {}, max, 1, max, "" },
        { {}, max, 2, std::nullopt, std::string(numberLimitMessage) },
        { {}, max - 47, 48, max - 47, "" },
        { {}, max + 1, 1, std::nullopt, std::string(numberLimitMessage) },
        { {}, 1, huge, std::nullopt, std::string(numberLimitMessage) },
        { { { 1, huge } }, std::nullopt, 1, std::nullopt, std::string(numberLimitMessage) },
    };
    for (const Case& c : cases) {
        const RunStart chosen = chooseRunStart(withRanges(c.ranges), BatesConfig(), c.explicitStart, c.pages);
        const std::string where = "start " + (c.explicitStart ? std::to_string(*c.explicitStart) : "none") + ", pages "
            + std::to_string(c.pages);
        EXPECT_EQ(chosen.start, c.start) << where;
        EXPECT_EQ(chosen.refusal, c.refusal) << where;
        EXPECT_EQ(chosen.collision, !c.refusal.empty() && c.refusal != numberLimitMessage) << where;
    }
}

TEST(BatesStart, ConfiguredStartIsRaisedOnlyPastTheGreatestEnd)
{
    BatesConfig config;
    config.start = 100;
    // After 20–30 and then 1–5 the next run without a start still continues after 30.
    EXPECT_EQ(chooseRunStart(withRanges({ { 20, 30 }, { 1, 5 } }), BatesConfig(), std::nullopt, 3).start, 31);
    EXPECT_EQ(chooseRunStart(withRanges({ { 20, 30 } }), config, std::nullopt, 3).start, 100);
}

TEST(BatesStart, UnreadableManifestRefusesTheRunAndMissingOneStartsFresh)
{
    const RunStart refused = chooseRunStart({ ManifestStatus::unreadable, {} }, BatesConfig(), 7, 1);
    EXPECT_FALSE(refused.start);
    EXPECT_EQ(refused.refusal, unreadableManifestMessage);
    EXPECT_FALSE(refused.collision);

    EXPECT_EQ(chooseRunStart({ ManifestStatus::missing, {} }, BatesConfig(), std::nullopt, 1).start, 1);
}

}
}
