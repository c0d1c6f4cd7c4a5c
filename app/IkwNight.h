#pragma once

#include "app/PlaceFromTimeZone.h"

#include <chrono>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

// The night schedule as pure computation: whether the night look is in force at an instant, when
// the schedule flips, whether a manual appearance choice still holds, and how tonight reads in one
// sentence. No state, no timers, no settings writes. Calendar questions are answered in the
// machine's current time zone (TZ and the C library), read afresh on every call.
namespace ikw::IkwNight {

using Instant = std::chrono::system_clock::time_point;

// The night settings record.
struct Config {
    std::string mode = "off"; // "off", "auto" (inside the window) or "on" (every hour)
    std::string from = "sunset"; // "time": at fromTime; anything else: at sunset
    std::string fromTime = "20:00";
    std::string until = "sunrise"; // "time": at untilTime; anything else: at sunrise
    std::string untilTime = "07:00";
    bool pages = true; // document pages go dark too (read by the appearance driver)
    std::optional<double> lat {};
    std::optional<double> lon {};
    std::string place {}; // label of the coordinates' place
    double setAt = 0; // Unix seconds of the last manual appearance choice; 0 = none

    bool operator==(const Config&) const = default;
};

// Minutes after local midnight, start inclusive, end exclusive; end < start runs across midnight.
struct Window {
    int start = 0;
    int end = 0;

    bool contains(int minute) const;
    bool operator==(const Window&) const = default;
};

Instant now();
double unixSeconds(Instant);
Instant fromUnixSeconds(double seconds);

// "H:MM" (spaces and tabs around it allowed) to minutes after midnight.
std::optional<int> parseHHMM(std::string_view text);
int minutesOfDay(Instant date = now());
Instant startOfDay(Instant date = now());
// "8:31pm", "12:00am": any minute count, taken modulo a day.
std::string clockLabel(int minutes);

// Sunrise or sunset in minutes after local midnight (NOAA approximation), nothing when the sun
// does not cross the horizon that day. The offset defaults to the current zone's at `date`.
std::optional<int> solarEventMinutes(double lat, double lon, Instant date, bool sunrise,
    std::optional<double> tzOffsetMinutes = std::nullopt);

// Tonight's window; nothing when start and end land on the same minute.
std::optional<Window> window(const Config&, Instant date = now());
bool inNight(const Config&, Instant date = now(), std::optional<int> nowMinutes = std::nullopt);
std::optional<Instant> lastFlip(const Config&, Instant date = now());
std::optional<Instant> nextFlip(const Config&, Instant date = now());
// Whether a manual appearance choice (setAt) is still in force: it holds until the first flip after it.
bool manualHolds(const Config&, Instant date = now());
bool isNightNow(const Config&, Instant date = now());
std::string windowLabel(const Config&, Instant date = now());
// Fills missing coordinates of a sun-based schedule from the current time zone's place.
Config ensurePlace(Config);

// Prints one line per case and a verdict; 0 when every case passes, else 1.
int selftest(std::ostream&);
int selftest();

}
