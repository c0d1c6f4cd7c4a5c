#include "app/PlaceFromTimeZone.h"

#include "app/TimeZoneTables.h"
#include "platform/core/Text.h"

#include <gtest/gtest.h>

namespace ikw::IkwNight {
namespace {

TEST(PlaceFromTimeZone, GeneratedTablesHaveTheReleaseFiguresAndEnds)
{
    EXPECT_EQ(kZoneTableText.size(), 9072u);
    EXPECT_EQ(split(kZoneTableText, ';').size(), 312u);
    EXPECT_EQ(zoneTable().size(), 312u);
    EXPECT_TRUE(kZoneTableText.starts_with("Europe/Andorra=42.5,1.52;Asia/Dubai=25.3,55.3;Asia/Kabul=34.52,69.2;"));
    EXPECT_TRUE(kZoneTableText.ends_with(";Africa/Johannesburg=-26.25,28"));

    EXPECT_EQ(kAliasTableText.size(), 7423u);
    EXPECT_EQ(split(kAliasTableText, ';').size(), 241u);
    EXPECT_EQ(aliasTable().size(), 241u);
    EXPECT_TRUE(kAliasTableText.starts_with("Australia/ACT=Australia/Sydney;"));
    EXPECT_TRUE(kAliasTableText.ends_with(";Pacific/Truk=Pacific/Port_Moresby"));

    // Rows whose rounding or selection is easy to get wrong: shortest forms, negative zero
    // degrees, zones merged away since 2022 and legacy names.
    for (const char* row : { "America/New_York=40.71,-74.01", "Europe/London=51.51,-0.13", "Asia/Kolkata=22.53,88.37",
             "Europe/Kyiv=50.43,30.52", "Asia/Tokyo=35.65,139.74", "America/Argentina/Buenos_Aires=-34.6,-58.45",
             "America/Coyhaique=", "America/Ciudad_Juarez=", "Pacific/Kanton=" })
        EXPECT_NE(kZoneTableText.find(row), std::string_view::npos) << row;
    for (const char* row : { "Europe/Copenhagen=", "Atlantic/Reykjavik=" })
        EXPECT_EQ(kZoneTableText.find(row), std::string_view::npos) << row;
    for (const char* row : { "US/Eastern=America/New_York", "US/Pacific=America/Los_Angeles", "Europe/Kiev=Europe/Kyiv",
             "Asia/Calcutta=Asia/Kolkata", "Asia/Saigon=Asia/Ho_Chi_Minh",
             "America/Buenos_Aires=America/Argentina/Buenos_Aires", "Europe/Copenhagen=Europe/Berlin",
             "Atlantic/Reykjavik=Africa/Abidjan", "CET=Europe/Brussels", "EST=America/Panama", "HST=Pacific/Honolulu",
             "PST8PDT=America/Los_Angeles" })
        EXPECT_NE(kAliasTableText.find(row), std::string_view::npos) << row;
}

TEST(PlaceFromTimeZone, AliasesPointAtZonesOnlyAndTheUtcFamilyIsInNeither)
{
    for (const auto& [alias, target] : aliasTable()) {
        EXPECT_TRUE(zoneTable().contains(target)) << alias;
        EXPECT_FALSE(zoneTable().contains(alias)) << alias;
    }
    for (const auto* tables : { &kZoneTableText, &kAliasTableText }) {
        for (const auto& entry : split(*tables, ';')) {
            const auto key = entry.substr(0, entry.find('='));
            EXPECT_FALSE(key == "UTC" || key == "GMT" || key.starts_with("Etc/")) << key;
        }
    }
}

TEST(PlaceFromTimeZone, Lookups)
{
    struct Row {
        const char* identifier;
        std::optional<Place> expected;
    };
    const Row rows[] = {
        { "America/New_York", Place { 40.71, -74.01, "New York" } },
        { "US/Eastern", Place { 40.71, -74.01, "New York" } },
        { "Asia/Calcutta", Place { 22.53, 88.37, "Kolkata" } },
        { "Europe/Kiev", Place { 50.43, 30.52, "Kyiv" } },
        { "America/Buenos_Aires", Place { -34.6, -58.45, "Buenos Aires" } },
        { "America/Indiana/Indianapolis", Place { 39.77, -86.16, "Indianapolis" } },
        { "Not/AZone", std::nullopt },
        { "america/new_york", std::nullopt },
        { "UTC", std::nullopt },
        { "GMT", std::nullopt },
        { "Etc/GMT+5", std::nullopt },
        { "", std::nullopt },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.identifier);
        const auto place = placeFromTimeZone(row.identifier);
        ASSERT_EQ(place.has_value(), row.expected.has_value());
        if (!place)
            continue;
        EXPECT_DOUBLE_EQ(place->lat, row.expected->lat);
        EXPECT_DOUBLE_EQ(place->lon, row.expected->lon);
        EXPECT_EQ(place->label, row.expected->label);
    }
}

TEST(PlaceFromTimeZone, TableTextsSkipMalformedEntriesAndLaterEntriesWin)
{
    const auto zones = parseZoneTable(";A=1,2;;B=1;C=x,2;D=1,2,3;E==3,,4;=5,6;F=1,2=3;A=7,8;");
    ASSERT_EQ(zones.size(), 2u);
    EXPECT_DOUBLE_EQ(zones.at("A").lat, 7);
    EXPECT_DOUBLE_EQ(zones.at("A").lon, 8);
    EXPECT_DOUBLE_EQ(zones.at("E").lat, 3);
    EXPECT_DOUBLE_EQ(zones.at("E").lon, 4);

    const auto aliases = parseAliasTable("X=Y;Bare;X=Z;W=;U=V=T");
    EXPECT_EQ(aliases, (AliasTable { { "X", "Z" } }));
}

TEST(PlaceFromTimeZone, CurrentIdentifierSources)
{
    struct Row {
        std::optional<std::string_view> tz, etcTimezone, localtimeTarget;
        const char* expected;
    };
    const Row rows[] = {
        { "Asia/Tokyo", "Europe/Berlin\n", "/usr/share/zoneinfo/UTC", "Asia/Tokyo" },
        { ":Europe/Berlin", std::nullopt, std::nullopt, "Europe/Berlin" },
        { ":/usr/share/zoneinfo/America/New_York", std::nullopt, std::nullopt, "America/New_York" },
        { std::nullopt, " Europe/Berlin\n", "/usr/share/zoneinfo/UTC", "Europe/Berlin" },
        { std::nullopt, "\n", "../usr/share/zoneinfo/America/Indiana/Indianapolis", "America/Indiana/Indianapolis" },
        { std::nullopt, std::nullopt, "/usr/share/zoneinfo/Asia/Kolkata", "Asia/Kolkata" },
        { std::nullopt, std::nullopt, "/etc/somewhere/else", "" },
        { std::nullopt, std::nullopt, std::nullopt, "" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(timeZoneIdentifierFrom(row.tz, row.etcTimezone, row.localtimeTarget), row.expected);
}

}
}
