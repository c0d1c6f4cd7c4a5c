#include "app/NightSettings.h"

#include <gtest/gtest.h>

#include <ostream>

namespace ikw::IkwNight {
void PrintTo(const Config& config, std::ostream* out)
{
    const auto number = [](const std::optional<double>& value) { return value ? std::to_string(*value) : "absent"; };
    *out << "{" << config.mode << ", " << config.from << " " << config.fromTime << ", " << config.until << " "
         << config.untilTime << ", pages " << config.pages << ", " << number(config.lat) << ", " << number(config.lon)
         << ", '" << config.place << "', " << config.setAt << "}";
}
}

namespace ikw {
namespace {

TEST(NightSettings, ReadsEveryKeyAndIgnoresValuesOfTheWrongType)
{
    const IkwNight::Config defaults;
    EXPECT_EQ(nightConfigFromSettings(Json::object()), defaults);

    const auto read = nightConfigFromSettings(Json {
        { "night_mode", "auto" }, { "night_from", "time" }, { "night_from_time", "21:15" }, { "night_until", "time" },
        { "night_until_time", "06:45" }, { "night_pages", false }, { "night_lat", 52 }, { "night_lon", 13.4 },
        { "night_place", "Berlin" }, { "night_set_at", 1781000000.5 } });
    EXPECT_EQ(read, (IkwNight::Config { "auto", "time", "21:15", "time", "06:45", false, 52.0, 13.4, "Berlin", 1781000000.5 }));

    const auto wrongTypes = nightConfigFromSettings(Json {
        { "night_mode", 1 }, { "night_from", true }, { "night_from_time", Json::array() }, { "night_until", 2.5 },
        { "night_until_time", Json::object() }, { "night_pages", "false" }, { "night_lat", "52" }, { "night_lon", nullptr },
        { "night_place", false }, { "night_set_at", "1781000000" } });
    EXPECT_EQ(wrongTypes, defaults);
}

}
}
