#include "services/OakrunePairing.h"

#include "platform/core/Iso8601.h"
#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

namespace ikw::services {
namespace {

TEST(OakruneStampTest, StampsAreUtcWholeSeconds)
{
    EXPECT_EQ(OakrunePairing::stamp(*parseIso8601Utc("2025-03-05T14:07:09Z")), "2025-03-05T14:07:09Z");
}

TEST(OakruneStampTest, HumanStampsCountFromTheGivenNowInLocalTime)
{
    // One hour east of UTC, so local time visibly differs from the stamp.
    const testing::ScopedTimeZone zone("XST-1");
    const std::time_t now = *parseIso8601Utc("2025-03-05T15:07:09Z");
    struct Case {
        std::optional<std::string> stamp;
        const char* expected;
    };
    const Case cases[] = {
        { "2025-03-05T15:06:10Z", "just now" },        // 59 s
        { "2025-03-05T15:07:39Z", "just now" },        // 30 s ahead
        { "2025-03-05T15:06:09Z", "1 minute ago" },    // 60 s
        { "2025-03-05T14:55:09Z", "12 minutes ago" },
        { "2025-03-05T14:07:10Z", "59 minutes ago" },  // 3599 s
        { "2025-03-05T14:07:09Z", "at 3:07pm" },       // 3600 s
        { "2025-03-04T23:30:00Z", "at 12:30am" },      // local midnight hour
        { "2025-03-04T15:07:09Z", "on Mar 4 at 4:07pm" }, // 86400 s
        { "2024-12-31T09:05:00Z", "on Dec 31 at 10:05am" },
        { std::nullopt, "" },
        { "", "" },
        { "garbage", "" },
        { "2025-03-05T14:07:09.5Z", "" },
        { "2025-03-05 14:07:09Z", "" },
        { "2025-13-05T14:07:09Z", "" },
        { "+025-03-05T14:07:09Z", "" },
    };
    for (const Case& test : cases)
        EXPECT_EQ(OakrunePairing::humanStamp(test.stamp, now), test.expected) << test.stamp.value_or("(none)");
}

}
}
