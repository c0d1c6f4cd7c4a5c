#include "app/NightSettings.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(NightSettings, ReadsEveryKeyAndIgnoresValuesOfTheWrongType)
{
    const auto defaults = nightConfigFromSettings(Json::object());
    EXPECT_EQ(defaults.mode, "off");
    EXPECT_EQ(defaults.from, "sunset");
    EXPECT_EQ(defaults.fromTime, "20:00");
    EXPECT_EQ(defaults.until, "sunrise");
    EXPECT_EQ(defaults.untilTime, "07:00");
    EXPECT_TRUE(defaults.pages);
    EXPECT_FALSE(defaults.lat);
    EXPECT_FALSE(defaults.lon);
    EXPECT_EQ(defaults.place, "");
    EXPECT_EQ(defaults.setAt, 0);

    const auto read = nightConfigFromSettings(Json {
        { "night_mode", "auto" }, { "night_from", "time" }, { "night_from_time", "21:15" }, { "night_until", "time" },
        { "night_until_time", "06:45" }, { "night_pages", false }, { "night_lat", 52 }, { "night_lon", 13.4 },
        { "night_place", "Berlin" }, { "night_set_at", 1781000000.5 } });
    EXPECT_EQ(read.mode, "auto");
    EXPECT_EQ(read.from, "time");
    EXPECT_EQ(read.fromTime, "21:15");
    EXPECT_EQ(read.until, "time");
    EXPECT_EQ(read.untilTime, "06:45");
    EXPECT_FALSE(read.pages);
    EXPECT_EQ(read.lat, 52.0);
    EXPECT_EQ(read.lon, 13.4);
    EXPECT_EQ(read.place, "Berlin");
    EXPECT_EQ(read.setAt, 1781000000.5);

    const auto wrongTypes = nightConfigFromSettings(Json {
        { "night_mode", 1 }, { "night_from_time", Json::array() }, { "night_pages", "false" }, { "night_lat", "52" },
        { "night_lon", nullptr }, { "night_place", false }, { "night_set_at", "1781000000" } });
    EXPECT_EQ(wrongTypes.mode, "off");
    EXPECT_EQ(wrongTypes.fromTime, "20:00");
    EXPECT_TRUE(wrongTypes.pages);
    EXPECT_FALSE(wrongTypes.lat);
    EXPECT_FALSE(wrongTypes.lon);
    EXPECT_EQ(wrongTypes.place, "");
    EXPECT_EQ(wrongTypes.setAt, 0);
}

}
}
