#include "legal/BatesConfig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ikw::legal {
namespace {

TEST(BatesConfig, LabelPadsWithZerosButNeverCutsTheNumber)
{
    struct Case {
        std::string prefix;
        std::int64_t pad;
        std::int64_t number;
        std::string expected;
    };
    const Case cases[] = {
        { "ABC", 6, 7, "ABC000007" },
        { "ABC", 6, 42, "ABC000042" },
        { "ABC", 0, 7, "ABC7" },
        { "ABC", -3, 7, "ABC7" },
        { "ABC", 3, 12345, "ABC12345" },
        { "", 6, 42, "000042" },
        { "X-", 1, 2147483647, "X-2147483647" },
    };
    for (const Case& c : cases) {
        BatesConfig config;
        config.prefix = c.prefix;
        config.pad = c.pad;
        EXPECT_EQ(config.label(c.number), c.expected) << c.prefix << " pad " << c.pad << " n " << c.number;
    }
}

TEST(BatesConfig, AbsurdPadIsCappedInsteadOfExhaustingMemory)
{
    BatesConfig config;
    config.pad = 1'000'000'000'000;
    EXPECT_EQ(config.label(7), "ABC" + std::string(63, '0') + "7");
}

TEST(BatesConfig, SettingsHashCoversLookAndNamingOnly)
{
    const BatesConfig defaults;
    EXPECT_EQ(defaults.settingsHash(), "f349b472");

    struct Case {
        const char* change;
        void (*apply)(BatesConfig&);
        bool sameHash;
    };
    const Case cases[] = {
        { "start", [](BatesConfig& c) { c.start = 500; }, true },
        { "halo", [](BatesConfig& c) { c.halo = false; }, true },
        { "fontSize 10.9", [](BatesConfig& c) { c.fontSize = 10.9; }, true },
        { "margin 24.5", [](BatesConfig& c) { c.margin = 24.5; }, true },
        { "nameByBates", [](BatesConfig& c) { c.nameByBates = false; }, false },
        { "fontSize 11", [](BatesConfig& c) { c.fontSize = 11; }, false },
        { "position", [](BatesConfig& c) { c.position = BatesPosition::topLeft; }, false },
        { "prefix", [](BatesConfig& c) { c.prefix = "ABD"; }, false },
    };
    for (const Case& c : cases) {
        BatesConfig changed;
        c.apply(changed);
        EXPECT_EQ(changed.settingsHash() == defaults.settingsHash(), c.sameHash) << c.change;
    }

    // Pads 0 and 1 give the same labels but are hashed as configured.
    BatesConfig padZero;
    padZero.pad = 0;
    BatesConfig padOne;
    padOne.pad = 1;
    EXPECT_NE(padZero.settingsHash(), padOne.settingsHash());
}

TEST(BatesConfig, PointsThatAreNotFiniteStillHashAndRecord)
{
    EXPECT_EQ(wholePoints(-10.9), -10);
    EXPECT_EQ(wholePoints(NAN), 0);
    EXPECT_EQ(wholePoints(INFINITY), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(wholePoints(-INFINITY), std::numeric_limits<std::int64_t>::min());
}

TEST(BatesPosition, RawValuesMatchExactly)
{
    for (const BatesPosition position : allBatesPositions)
        EXPECT_EQ(batesPositionFromRawValue(rawValue(position)), position) << rawValue(position);
    EXPECT_EQ(label(BatesPosition::topCenter), "Top center");
    EXPECT_FALSE(batesPositionFromRawValue("BottomRight"));
    EXPECT_FALSE(batesPositionFromRawValue("middle"));
    EXPECT_FALSE(batesPositionFromRawValue(""));
}

}
}
