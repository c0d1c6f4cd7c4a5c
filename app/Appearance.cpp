#include "app/Appearance.h"

#include "app/NightSettings.h"

namespace ikw {

std::string appearancePref(const Json& settings)
{
    const auto it = settings.is_object() ? settings.find("appearance") : settings.end();
    return it != settings.end() && it->is_string() ? it->get<std::string>() : "auto";
}

IkwNight::Config nightCfg(Json& settings, bool& filled)
{
    filled = false;
    auto config = nightConfigFromSettings(settings);
    if (config.mode == "off" || (config.lat && config.lon))
        return config;
    auto placed = IkwNight::ensurePlace(config);
    if (!placed.lat)
        return config;
    settings["night_lat"] = *placed.lat;
    if (placed.lon)
        settings["night_lon"] = *placed.lon;
    else
        settings.erase("night_lon");
    settings["night_place"] = placed.place;
    filled = true;
    return placed;
}

bool readingThemeFollowsSystem(const Json& settings)
{
    const auto it = settings.is_object() ? settings.find("reading_theme_files") : settings.end();
    return it == settings.end() || !it->is_string() || it->get<std::string>() == "system";
}

bool effectiveIsDark(AppAppearance forced, bool desktopPrefersDark)
{
    switch (forced) {
    case AppAppearance::Dark:
        return true;
    case AppAppearance::Light:
        return false;
    case AppAppearance::System:
        break;
    }
    return desktopPrefersDark;
}

std::string resolvedScheme(bool nightNow, const std::string& pref, bool effectivelyDark)
{
    if (nightNow || pref == "dark")
        return "dark";
    if (pref == "auto" && effectivelyDark)
        return "dark";
    return "light";
}

ui::Color reviewBG(bool dark)
{
    return dark ? ui::Color { 0.106, 0.106, 0.114, 1.0 } : ui::Color { 0.957, 0.937, 0.894, 1.0 };
}

}
