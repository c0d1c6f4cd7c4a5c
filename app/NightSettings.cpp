#include "app/NightSettings.h"

namespace ikw {

namespace {

const Json* valueOf(const Json& settings, const char* key)
{
    if (!settings.is_object())
        return nullptr;
    const auto it = settings.find(key);
    return it == settings.end() ? nullptr : &*it;
}

void readString(const Json& settings, const char* key, std::string& field)
{
    if (const auto* value = valueOf(settings, key); value && value->is_string())
        field = value->get<std::string>();
}

std::optional<double> readNumber(const Json& settings, const char* key)
{
    if (const auto* value = valueOf(settings, key); value && value->is_number())
        return value->get<double>();
    return std::nullopt;
}

}

IkwNight::Config nightConfigFromSettings(const Json& settings)
{
    IkwNight::Config config;
    readString(settings, "night_mode", config.mode);
    readString(settings, "night_from", config.from);
    readString(settings, "night_from_time", config.fromTime);
    readString(settings, "night_until", config.until);
    readString(settings, "night_until_time", config.untilTime);
    if (const auto* pages = valueOf(settings, "night_pages"); pages && pages->is_boolean())
        config.pages = pages->get<bool>();
    config.lat = readNumber(settings, "night_lat");
    config.lon = readNumber(settings, "night_lon");
    readString(settings, "night_place", config.place);
    config.setAt = readNumber(settings, "night_set_at").value_or(0);
    return config;
}

}
