#include "app/IkwNight.h"

#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

namespace ikw::IkwNight {
namespace {

using namespace std::chrono;

using ikw::testing::ScopedTimeZone;

Instant utc(int y, unsigned m, unsigned d, int hour, int minute = 0)
{
    return sys_days { year { y } / m / d } + hours { hour } + minutes { minute };
}

Config eightToSeven()
{
    return Config { .mode = "auto", .from = "time", .fromTime = "20:00", .until = "time", .untilTime = "07:00" };
}

Config sunBased(std::optional<double> lat, std::optional<double> lon, std::string place = "")
{
    return Config { .mode = "auto", .lat = lat, .lon = lon, .place = std::move(place) };
}

TEST(IkwNight, ParseHHMM)
{
    const std::pair<const char*, std::optional<int>> rows[] = {
        { "07:00", 420 }, { "7:5", 425 }, { " 7:05", 425 }, { "7:05\t", 425 }, { "20::30", 1230 }, { "0:00", 0 },
        { "23:59", 1439 }, { "+7:05", 425 }, { "24:00", std::nullopt }, { "07:60", std::nullopt },
        { "-1:30", std::nullopt }, { "7", std::nullopt }, { "", std::nullopt }, { "20:30:00", std::nullopt },
        { "20:", std::nullopt }, { ":30", std::nullopt }, { "7:05\n", std::nullopt }, { "7h:05", std::nullopt },
        { "7 :05", std::nullopt },
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(parseHHMM(text), expected) << '"' << text << '"';
}

TEST(IkwNight, ClockLabel)
{
    const std::pair<int, const char*> rows[] = {
        { 1231, "8:31pm" }, { 0, "12:00am" }, { 720, "12:00pm" }, { 325, "5:25am" }, { 1440, "12:00am" },
        { -30, "11:30pm" }, { 725, "12:05pm" }, { 59, "12:59am" }, { 779, "12:59pm" }, { 1439, "11:59pm" },
        { 2880 + 61, "1:01am" },
    };
    for (const auto& [minutes, expected] : rows)
        EXPECT_EQ(clockLabel(minutes), expected) << minutes;
}

TEST(IkwNight, WindowMembership)
{
    struct Row {
        Window window;
        int minute;
        bool inside;
    };
    const Row rows[] = {
        { { 1200, 420 }, 1200, true }, { { 1200, 420 }, 1199, false }, { { 1200, 420 }, 0, true },
        { { 1200, 420 }, 120, true }, { { 1200, 420 }, 419, true }, { { 1200, 420 }, 420, false },
        { { 1200, 420 }, 720, false }, { { 60, 300 }, 59, false }, { { 60, 300 }, 60, true },
        { { 60, 300 }, 299, true }, { { 60, 300 }, 300, false }, { { 60, 300 }, 1439, false },
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.window.contains(row.minute), row.inside) << row.window.start << "-" << row.window.end << " @" << row.minute;
    EXPECT_TRUE(inNight(eightToSeven(), now(), 120));
    EXPECT_FALSE(inNight(eightToSeven(), now(), 420));
}

TEST(IkwNight, SolarEventsOfNewYork)
{
    ScopedTimeZone zone("America/New_York");
    struct Row {
        Instant day;
        bool sunrise;
        double offset;
        int expected;
    };
    const Row rows[] = {
        { utc(2026, 6, 21, 12), false, -240, 1230 },
        { utc(2026, 6, 21, 12), true, -240, 325 },
        { utc(2026, 12, 21, 12), false, -300, 992 },
        { utc(2026, 12, 21, 12), true, -300, 437 },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(solarEventMinutes(40.71, -74.01, row.day, row.sunrise, row.offset), row.expected);
        // Without an offset the zone's own at that day applies: summer and winter time alike.
        EXPECT_EQ(solarEventMinutes(40.71, -74.01, row.day, row.sunrise), row.expected);
    }
    EXPECT_FALSE(solarEventMinutes(78.22, 15.65, utc(2026, 6, 21, 12), false, 120));
    EXPECT_FALSE(solarEventMinutes(78.22, 15.65, utc(2026, 12, 21, 12), true, 60));
    EXPECT_FALSE(solarEventMinutes(std::nan(""), 15.65, utc(2026, 6, 21, 12), true));
    EXPECT_FALSE(solarEventMinutes(40.71, std::nan(""), utc(2026, 6, 21, 12), true));
}

TEST(IkwNight, WindowSourcesAndFallbacks)
{
    ScopedTimeZone zone("America/New_York");
    const Instant june = utc(2026, 6, 21, 16);
    struct Row {
        const char* name;
        Config config;
        std::optional<Window> expected;
    };
    const Row rows[] = {
        { "set times", eightToSeven(), Window { 1200, 420 } },
        { "sun times", sunBased(40.71, -74.01), Window { 1230, 325 } },
        { "sun start, set end", Config { .mode = "auto", .until = "time", .untilTime = "6:00", .lat = 40.71, .lon = -74.01 }, Window { 1230, 360 } },
        { "any kind but time is the sun", Config { .mode = "auto", .from = "dusk", .until = "dawn", .lat = 40.71, .lon = -74.01 }, Window { 1230, 325 } },
        { "sun without coordinates", sunBased(std::nullopt, std::nullopt), Window { 1200, 420 } },
        { "sun with a latitude only", sunBased(40.71, std::nullopt), Window { 1200, 420 } },
        { "unreadable times", Config { .mode = "auto", .from = "time", .fromTime = "8pm", .until = "time", .untilTime = "" }, Window { 1200, 420 } },
        { "midnight sun falls back to the set times",
            Config { .mode = "auto", .fromTime = "21:30", .untilTime = "06:15", .lat = 78.22, .lon = 15.65 }, Window { 1290, 375 } },
        { "start equals end", Config { .mode = "auto", .from = "time", .fromTime = "20:00", .until = "time", .untilTime = "20:00" }, std::nullopt },
    };
    for (const auto& row : rows)
        EXPECT_EQ(window(row.config, june), row.expected) << row.name;
}

TEST(IkwNight, FlipsOfAnOrdinaryNight)
{
    ScopedTimeZone zone("Europe/Berlin");
    const Instant today = startOfDay(utc(2026, 5, 12, 10));
    EXPECT_EQ(today, utc(2026, 5, 11, 22)); // midnight in summer time
    const Config config = eightToSeven();
    EXPECT_EQ(lastFlip(config, today + 2h), today - 4h);
    EXPECT_EQ(nextFlip(config, today + 2h), today + 7h);
    // At the very instant of a flip it is the last flip, and the next one is the following.
    EXPECT_EQ(lastFlip(config, today + 7h), today + 7h);
    EXPECT_EQ(nextFlip(config, today + 7h), today + 20h);
    EXPECT_EQ(nextFlip(config, today + 23h), today + 31h);

    const Config noNight { .mode = "auto", .from = "time", .fromTime = "20:00", .until = "time", .untilTime = "20:00" };
    EXPECT_FALSE(lastFlip(noNight, today + 2h));
    EXPECT_FALSE(nextFlip(noNight, today + 2h));
}

TEST(IkwNight, FlipsOnDaylightSavingDaysCountElapsedTimeFromMidnight)
{
    ScopedTimeZone zone("America/New_York");
    const Config config = eightToSeven();
    // Spring forward, 8 March 2026: midnight is 05:00 UTC, and 7 hours later the clock reads 8:00.
    const Instant springNoon = utc(2026, 3, 8, 16);
    EXPECT_EQ(startOfDay(springNoon), utc(2026, 3, 8, 5));
    EXPECT_EQ(lastFlip(config, springNoon), utc(2026, 3, 8, 12));
    EXPECT_EQ(nextFlip(config, springNoon), utc(2026, 3, 9, 1));
    // Fall back, 1 November 2026: midnight is 04:00 UTC, and 7 hours later the clock reads 6:00.
    const Instant fallNoon = utc(2026, 11, 1, 17);
    EXPECT_EQ(startOfDay(fallNoon), utc(2026, 11, 1, 4));
    EXPECT_EQ(lastFlip(config, fallNoon), utc(2026, 11, 1, 11));
    EXPECT_EQ(nextFlip(config, fallNoon), utc(2026, 11, 2, 0));
    // The clock itself still decides membership: 7:30 on the spring day is day.
    EXPECT_FALSE(isNightNow(config, utc(2026, 3, 8, 11, 30)));
    EXPECT_TRUE(isNightNow(config, utc(2026, 3, 8, 10, 30)));
}

TEST(IkwNight, StartOfDayWhenTheClocksSkipMidnight)
{
    // Cuba moves from midnight straight to 1:00 on 8 March 2026: that day begins at 05:00 UTC.
    ScopedTimeZone zone("America/Havana");
    EXPECT_EQ(startOfDay(utc(2026, 3, 8, 18)), utc(2026, 3, 8, 5));
    EXPECT_EQ(minutesOfDay(utc(2026, 3, 8, 5)), 60);
}

TEST(IkwNight, ManualChoiceAndNightNow)
{
    ScopedTimeZone zone("Asia/Tokyo");
    const Instant today = startOfDay(utc(2026, 5, 12, 3));
    EXPECT_EQ(today, utc(2026, 5, 11, 15));
    const auto stamped = [](Config config, Instant at) {
        config.setAt = unixSeconds(at);
        return config;
    };
    const auto withMode = [](Config config, const char* mode) {
        config.mode = mode;
        return config;
    };
    const Config base = eightToSeven();
    const Instant twoAm = today + 2h;
    const Instant lastFlipAt = today - 4h;
    struct Row {
        const char* name;
        Config config;
        Instant at;
        bool holds;
        bool night;
    };
    const Row rows[] = {
        { "no choice", base, twoAm, false, true },
        { "choice after the last flip", stamped(base, today + 30min), twoAm, true, false },
        { "choice before the last flip", stamped(base, today - 6h), twoAm, false, true },
        { "choice at the last flip instant", stamped(base, lastFlipAt), twoAm, false, true },
        { "choice a second after the flip", stamped(base, lastFlipAt + 1s), twoAm, true, false },
        { "auto in the day", base, today + 12h, false, false },
        { "auto in the day with an old choice", stamped(base, today - 6h), today + 12h, false, false },
        { "on at 1pm", withMode(base, "on"), today + 13h, false, true },
        { "on, held since the morning flip", stamped(withMode(base, "on"), today + 8h), today + 13h, true, false },
        { "on, hold ended by the evening flip", stamped(withMode(base, "on"), today + 8h), today + 21h, false, true },
        { "off", withMode(base, "off"), twoAm, false, false },
        { "unknown mode", withMode(base, "On"), twoAm, false, false },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(manualHolds(row.config, row.at), row.holds) << row.name;
        EXPECT_EQ(isNightNow(row.config, row.at), row.night) << row.name;
    }

    // Without a window a choice holds for good, and a held "on" schedule stays off.
    Config noNight = stamped(withMode(base, "on"), today);
    noNight.untilTime = "20:00";
    EXPECT_TRUE(manualHolds(noNight, twoAm));
    EXPECT_FALSE(isNightNow(noNight, twoAm));
    noNight.setAt = 0;
    EXPECT_TRUE(isNightNow(noNight, twoAm));
}

TEST(IkwNight, WindowLabel)
{
    ScopedTimeZone zone("America/New_York");
    const Instant june = utc(2026, 6, 21, 16);
    const Config svalbard { .mode = "auto", .fromTime = "21:30", .untilTime = "06:15", .lat = 78.22, .lon = 15.65, .place = "Longyearbyen" };
    struct Row {
        const char* name;
        Config config;
        const char* expected;
    };
    const Row rows[] = {
        { "off", Config {}, "Off. Light and dark follow the Appearance setting above." },
        { "set times", eightToSeven(), "Dark 8:00pm to 7:00am (set times)." },
        { "unknown mode describes the window", Config { .mode = "later", .from = "time", .until = "time" },
            "Dark 8:00pm to 7:00am (set times)." },
        { "no night", Config { .mode = "auto", .from = "time", .fromTime = "7:00", .until = "time" },
            "No night tonight: the start and end land on the same minute." },
        { "sun with place", sunBased(40.71, -74.01, "New York"), "Dark 8:30pm to 5:25am (sunset and sunrise in New York)." },
        { "sun without place", sunBased(40.71, -74.01), "Dark 8:30pm to 5:25am (sunset and sunrise)." },
        { "sunset only", Config { .mode = "auto", .until = "time", .lat = 40.71, .lon = -74.01, .place = "New York" },
            "Dark 8:30pm to 7:00am (sunset, then a set time in New York)." },
        { "sunrise only", Config { .mode = "auto", .from = "time", .lat = 40.71, .lon = -74.01, .place = "New York" },
            "Dark 8:00pm to 5:25am (a set time, then sunrise in New York)." },
        { "no coordinates", sunBased(std::nullopt, std::nullopt, "New York"), "Dark 8:00pm to 7:00am (set times)." },
        // A latitude alone gives no sun times, so the label must not claim them.
        { "latitude only", sunBased(40.71, std::nullopt, "New York"), "Dark 8:00pm to 7:00am (set times)." },
        { "midnight sun", svalbard, "Dark 9:30pm to 6:15am (set times)." },
    };
    for (const auto& row : rows)
        EXPECT_EQ(windowLabel(row.config, june), row.expected) << row.name;

    const auto alwaysOn = windowLabel(Config { .mode = "on" }, june);
    EXPECT_NE(alwaysOn.find("every hour"), std::string::npos) << alwaysOn;
}

TEST(IkwNight, EnsurePlaceFillsMissingCoordinatesFromTheZone)
{
    ScopedTimeZone zone("Asia/Tokyo");
    const Config filled = ensurePlace(Config { .mode = "auto", .lat = 1.0, .place = "Old name" });
    EXPECT_EQ(filled.lat, 35.65);
    EXPECT_EQ(filled.lon, 139.74);
    EXPECT_EQ(filled.place, "Tokyo");
    EXPECT_EQ(ensurePlace(Config { .from = "time", .until = "sunrise" }).place, "Tokyo");

    struct Row {
        const char* name;
        Config config;
    };
    const Row unchanged[] = {
        { "has coordinates", Config { .lat = 1.0, .lon = 2.0, .place = "Here" } },
        { "set times", Config { .from = "time", .until = "time" } },
        { "other kinds", Config { .from = "dusk", .until = "dawn" } },
    };
    for (const auto& row : unchanged) {
        const Config result = ensurePlace(row.config);
        EXPECT_EQ(result.lat, row.config.lat) << row.name;
        EXPECT_EQ(result.lon, row.config.lon) << row.name;
        EXPECT_EQ(result.place, row.config.place) << row.name;
    }

    ScopedTimeZone utcZone("UTC");
    EXPECT_FALSE(ensurePlace(Config {}).lat);
}

}
}
