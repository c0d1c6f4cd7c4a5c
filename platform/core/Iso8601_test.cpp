#include "platform/core/Iso8601.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(Iso8601, WritesAndReadsWholeSecondsInUtc)
{
    const std::pair<std::time_t, const char*> cases[] = {
        { 0, "1970-01-01T00:00:00Z" },
        { 951868799, "2000-02-29T23:59:59Z" },
        { 1796910307, "2026-12-10T13:45:07Z" },
        { 2147483648, "2038-01-19T03:14:08Z" }, // past 32 bits
    };
    for (const auto& [time, text] : cases) {
        EXPECT_EQ(iso8601Utc(time), text);
        EXPECT_EQ(parseIso8601Utc(text), time) << text;
    }
    EXPECT_EQ(parseIso8601Utc("2026-12-10T13:45:07.987Z"), 1796910307) << "fractions are dropped";
}

TEST(Iso8601, RefusesOtherForms)
{
    const char* refused[] = {
        "", "2026-12-10T13:45:07", "2026-12-10T13:45:07+00:00", "2026-12-10 13:45:07Z", "2026-12-10T13:45:07.Z",
        "2026-13-10T13:45:07Z", "2026-12-00T13:45:07Z", "2026-12-10T24:00:00Z", "2026-12-10T13:60:00Z", "26-12-10T13:45:07Z",
    };
    for (const char* text : refused)
        EXPECT_EQ(parseIso8601Utc(text), std::nullopt) << text;
}

}
}
