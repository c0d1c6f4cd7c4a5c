#include "app/IkwNight.h"

#include "platform/core/Text.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <numbers>

namespace ikw::IkwNight {

namespace {

constexpr int kMinutesPerDay = 1440;
constexpr int kFallbackStart = 20 * 60;
constexpr int kFallbackEnd = 7 * 60;

int wrapMinutes(long long minutes)
{
    const auto wrapped = minutes % kMinutesPerDay;
    return static_cast<int>(wrapped < 0 ? wrapped + kMinutesPerDay : wrapped);
}

std::time_t wholeSeconds(Instant date)
{
    return std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(date));
}

// The local clock reading, with the zone re-read from TZ so a changed zone applies at once.
std::optional<std::tm> localTime(std::time_t seconds)
{
    ::tzset();
    std::tm reading {};
    if (!::localtime_r(&seconds, &reading))
        return std::nullopt;
    return reading;
}

std::optional<int> dayOfYear(Instant date)
{
    const auto reading = localTime(wholeSeconds(date));
    if (!reading)
        return std::nullopt;
    return reading->tm_yday + 1;
}

double localOffsetMinutes(Instant date)
{
    const auto reading = localTime(wholeSeconds(date));
    return reading ? static_cast<double>(reading->tm_gmtoff) / 60.0 : 0.0;
}

struct SunPath {
    double equationOfTime = 0; // minutes
    double hourAngle = 0; // degrees
};

// The sun's path on one day of the year at one latitude; nothing when it does not cross the
// horizon (midnight sun or polar night).
std::optional<SunPath> sunPath(double lat, std::optional<int> dayOfYear)
{
    if (!dayOfYear || !std::isfinite(lat))
        return std::nullopt;
    const double gamma = (*dayOfYear - 1 + 0.5) * 0.01721420632103996;
    const double equationOfTime = 229.18
        * (0.000075 + 0.001868 * std::cos(gamma) - 0.032077 * std::sin(gamma) - 0.014615 * std::cos(2 * gamma)
            - 0.040849 * std::sin(2 * gamma));
    const double declination = 0.006918 - 0.399912 * std::cos(gamma) + 0.070257 * std::sin(gamma)
        - 0.006758 * std::cos(2 * gamma) + 0.000907 * std::sin(2 * gamma) - 0.002697 * std::cos(3 * gamma)
        + 0.00148 * std::sin(3 * gamma);
    const double phi = lat * 0.017453292519943295;
    const double x = -0.014538080502496963 / (std::cos(phi) * std::cos(declination)) - std::tan(phi) * std::tan(declination);
    if (!std::isfinite(x) || std::fabs(x) > 1)
        return std::nullopt;
    return SunPath { equationOfTime, std::acos(x) * 180.0 / std::numbers::pi };
}

bool hasCoordinates(const Config& config)
{
    return config.lat && config.lon;
}

// The start (sunset) or end (sunrise) of the window: the sun's time when asked for and known,
// else the set time, else the built-in default.
int windowEdge(const Config& config, Instant date, bool sunrise)
{
    const auto& kind = sunrise ? config.until : config.from;
    if (kind != "time" && hasCoordinates(config)) {
        if (const auto minutes = solarEventMinutes(*config.lat, *config.lon, date, sunrise))
            return wrapMinutes(*minutes);
    }
    const auto& setTime = sunrise ? config.untilTime : config.fromTime;
    return parseHHMM(setTime).value_or(sunrise ? kFallbackEnd : kFallbackStart);
}

enum class FlipSearch { Last, Next };

std::optional<Instant> flipAround(const Config& config, Instant date, FlipSearch search)
{
    const auto nightWindow = window(config, date);
    if (!nightWindow)
        return std::nullopt;
    const Instant base = startOfDay(date);
    const int days[2] = { search == FlipSearch::Last ? -kMinutesPerDay : 0, search == FlipSearch::Last ? 0 : kMinutesPerDay };
    std::optional<Instant> kept;
    for (const int minute : { nightWindow->start, nightWindow->end }) {
        for (const int day : days) {
            // Elapsed time from the day's start: on a daylight-saving day the clock reading differs.
            const Instant candidate = base + std::chrono::minutes(minute + day);
            if (search == FlipSearch::Last ? candidate > date : candidate <= date)
                continue;
            if (!kept || (search == FlipSearch::Last ? candidate > *kept : candidate < *kept))
                kept = candidate;
        }
    }
    return kept;
}

// The schedule's answer once it would be night: a manual choice turns it off until the next flip.
bool nightUnlessHeld(const Config& config, Instant date)
{
    if (config.setAt <= 0)
        return true;
    const auto flip = lastFlip(config, date);
    return flip && unixSeconds(*flip) >= config.setAt;
}

std::string_view trimSpacesAndTabs(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}

bool Window::contains(int minute) const
{
    return wrapMinutes(static_cast<long long>(minute) - start) < wrapMinutes(static_cast<long long>(end) - start);
}

Instant now()
{
    return std::chrono::system_clock::now();
}

double unixSeconds(Instant instant)
{
    return std::chrono::duration<double>(instant.time_since_epoch()).count();
}

Instant fromUnixSeconds(double seconds)
{
    return Instant(std::chrono::duration_cast<Instant::duration>(std::chrono::duration<double>(seconds)));
}

std::optional<int> parseHHMM(std::string_view text)
{
    const auto pieces = split(trimSpacesAndTabs(text), ':', false);
    if (pieces.size() != 2)
        return std::nullopt;
    const auto hour = parseInteger(pieces[0]);
    const auto minute = parseInteger(pieces[1]);
    if (!hour || !minute || *hour < 0 || *hour > 23 || *minute < 0 || *minute > 59)
        return std::nullopt;
    return static_cast<int>(*hour * 60 + *minute);
}

int minutesOfDay(Instant date)
{
    const auto reading = localTime(wholeSeconds(date));
    return reading ? reading->tm_hour * 60 + reading->tm_min : 0;
}

Instant startOfDay(Instant date)
{
    const auto day = localTime(wholeSeconds(date));
    if (!day)
        return date;
    std::tm midnight = *day;
    midnight.tm_hour = midnight.tm_min = midnight.tm_sec = 0;
    // Where the clocks skip midnight, the C library reads it with the offset before the change,
    // which lands on the change itself: the day's first instant.
    midnight.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&midnight));
}

std::string clockLabel(int minutes)
{
    const int value = wrapMinutes(minutes);
    const int hour = value / 60;
    const int shownHour = hour % 12 == 0 ? 12 : hour % 12;
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d%s", shownHour, value % 60, value < 720 ? "am" : "pm");
    return text;
}

std::optional<int> solarEventMinutes(double lat, double lon, Instant date, bool sunrise, std::optional<double> tzOffsetMinutes)
{
    const auto path = sunPath(lat, dayOfYear(date));
    if (!path || !std::isfinite(lon))
        return std::nullopt;
    const double utcMinutes = 720 - 4 * lon - path->equationOfTime + (sunrise ? -4 : 4) * path->hourAngle;
    const double local = utcMinutes + tzOffsetMinutes.value_or(localOffsetMinutes(date));
    const double wrapped = std::fmod(std::fmod(local, kMinutesPerDay) + kMinutesPerDay, kMinutesPerDay);
    return static_cast<int>(std::round(wrapped));
}

std::optional<Window> window(const Config& config, Instant date)
{
    const Window nightWindow { windowEdge(config, date, false), windowEdge(config, date, true) };
    if (nightWindow.start == nightWindow.end)
        return std::nullopt;
    return nightWindow;
}

bool inNight(const Config& config, Instant date, std::optional<int> nowMinutes)
{
    const auto nightWindow = window(config, date);
    return nightWindow && nightWindow->contains(nowMinutes.value_or(minutesOfDay(date)));
}

std::optional<Instant> lastFlip(const Config& config, Instant date)
{
    return flipAround(config, date, FlipSearch::Last);
}

std::optional<Instant> nextFlip(const Config& config, Instant date)
{
    return flipAround(config, date, FlipSearch::Next);
}

bool manualHolds(const Config& config, Instant date)
{
    if (config.setAt <= 0)
        return false;
    const auto flip = lastFlip(config, date);
    return !flip || unixSeconds(*flip) < config.setAt;
}

bool isNightNow(const Config& config, Instant date)
{
    if (config.mode == "on")
        return nightUnlessHeld(config, date);
    if (config.mode == "auto")
        return inNight(config, date) && nightUnlessHeld(config, date);
    return false;
}

std::string windowLabel(const Config& config, Instant date)
{
    if (config.mode == "off")
        return "Off. Light and dark follow the Appearance setting above.";
    if (config.mode == "on")
        return "Always on: the dark look stays at every hour. The theme toggle still switches to light until the next morning.";
    const auto nightWindow = window(config, date);
    if (!nightWindow)
        return "No night tonight: the start and end land on the same minute.";

    // The same condition as the window's own: a sun time needs both coordinates.
    const bool sunCrosses = hasCoordinates(config) && sunPath(*config.lat, dayOfYear(date)) && std::isfinite(*config.lon);
    const bool sunStart = config.from == "sunset" && sunCrosses;
    const bool sunEnd = config.until == "sunrise" && sunCrosses;
    std::string kind = sunStart && sunEnd ? "sunset and sunrise"
        : sunStart                       ? "sunset, then a set time"
        : sunEnd                         ? "a set time, then sunrise"
                                         : "set times";
    if ((sunStart || sunEnd) && !config.place.empty())
        kind += " in " + config.place;
    return "Dark " + clockLabel(nightWindow->start) + " to " + clockLabel(nightWindow->end) + " (" + kind + ").";
}

Config ensurePlace(Config config)
{
    const bool sunBased = config.from == "sunset" || config.until == "sunrise";
    if (!sunBased || hasCoordinates(config))
        return config;
    if (const auto place = placeFromTimeZone()) {
        config.lat = place->lat;
        config.lon = place->lon;
        config.place = place->label;
    }
    return config;
}

}
