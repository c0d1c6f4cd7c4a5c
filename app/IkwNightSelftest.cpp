// The night schedule's self-test, run by the --night-selftest switch: fixed cases whose labels
// say what each one guards, one line per case.
#include "app/IkwNight.h"

#include <cmath>
#include <functional>
#include <iostream>
#include <vector>

namespace ikw::IkwNight {

namespace {

using std::chrono::seconds;

struct Case {
    const char* label;
    std::function<bool()> passes;
};

// The 21st of a month of 2026 at noon UTC: the 21st in every zone within twelve hours of UTC.
Instant day(unsigned month)
{
    using namespace std::chrono;
    return sys_days { year { 2026 } / month / 21 } + hours { 12 };
}

constexpr double kNewYorkLat = 40.71;
constexpr double kNewYorkLon = -74.01;
constexpr double kSvalbardLat = 78.22;
constexpr double kSvalbardLon = 15.65;

bool near(std::optional<int> minutes, int expected)
{
    return minutes && std::abs(*minutes - expected) < 4;
}

Config eightToSeven()
{
    return Config { .mode = "auto", .from = "time", .fromTime = "20:00", .until = "time", .untilTime = "07:00" };
}

Config with(Config config, const std::function<void(Config&)>& change)
{
    change(config);
    return config;
}

std::vector<Case> cases()
{
    const Instant today = startOfDay();
    const auto todayPlus = [today](long long offset) { return today + seconds(offset); };
    const auto choiceAt = [&](double stamp) { return with(eightToSeven(), [&](Config& c) { c.setAt = stamp; }); };
    const auto inBase = [](int minute) { return inNight(eightToSeven(), now(), minute); };
    const auto withMode = [](const char* mode) { return with(eightToSeven(), [mode](Config& c) { c.mode = mode; }); };

    return {
        { "New York sunset on 21 June is 8:31pm (EDT)",
            [] { return near(solarEventMinutes(kNewYorkLat, kNewYorkLon, day(6), false, -240), 1231); } },
        { "New York sunrise on 21 June is 5:25am (EDT)",
            [] { return near(solarEventMinutes(kNewYorkLat, kNewYorkLon, day(6), true, -240), 325); } },
        { "New York sunset on 21 December is 4:32pm (EST)",
            [] { return near(solarEventMinutes(kNewYorkLat, kNewYorkLon, day(12), false, -300), 992); } },
        { "New York sunrise on 21 December is 7:17am (EST)",
            [] { return near(solarEventMinutes(kNewYorkLat, kNewYorkLon, day(12), true, -300), 437); } },
        { "Svalbard in June has no sunset, and the equation returns nil rather than a number",
            [] { return !solarEventMinutes(kSvalbardLat, kSvalbardLon, day(6), false, 120); } },
        { "\u2026and the set times carry the window instead of the schedule silently stopping",
            [] {
                const Config svalbard { .mode = "auto", .from = "sunset", .fromTime = "21:30", .until = "sunrise",
                    .untilTime = "06:15", .lat = kSvalbardLat, .lon = kSvalbardLon };
                return window(svalbard, day(6)) == Window { 1290, 375 };
            } },
        { "a window whose start equals its end is no night at all",
            [] { return !window(with(eightToSeven(), [](Config& c) { c.untilTime = "20:00"; })); } },
        { "2am is inside an 8pm-to-7am window", [=] { return inBase(120); } },
        { "11pm is inside it", [=] { return inBase(1380); } },
        { "noon is outside it", [=] { return !inBase(720); } },
        { "7am, the boundary itself, is already day", [=] { return !inBase(420); } },
        { "\u2026and a naive start<=now<end comparison would get 2am WRONG (the test discriminates)",
            [=] { return inBase(120); } },
        { "a choice made at 12:30am still holds at 2am, before the 7am flip",
            [=] { return manualHolds(choiceAt(unixSeconds(todayPlus(1800))), todayPlus(7200)); } },
        { "a choice made before the 8pm flip has expired by 2am",
            [=] { return !manualHolds(choiceAt(unixSeconds(todayPlus(-21600))), todayPlus(7200)); } },
        { "no choice ever made means the schedule owns it", [=] { return !manualHolds(choiceAt(0), todayPlus(7200)); } },
        { "mode off is never night, whatever the hour", [=] { return !isNightNow(withMode("off"), todayPlus(7200)); } },
        { "mode on is night at 1pm as well", [=] { return isNightNow(withMode("on"), todayPlus(46800)); } },
        { "America/New_York resolves to New York",
            [] {
                const auto place = placeFromTimeZone("America/New_York");
                return place && std::fabs(place->lat - kNewYorkLat) < 0.5 && std::fabs(place->lon - kNewYorkLon) < 0.5
                    && place->label == "New York";
            } },
        { "the retired name US/Eastern resolves through the alias table",
            [] { return placeFromTimeZone("US/Eastern").has_value(); } },
        { "an unknown zone returns nil rather than a plausible guess", [] { return !placeFromTimeZone("Not/AZone"); } },
        { "times read as 8:31pm / 12:00am / 12:00pm / 5:25am",
            [] {
                return clockLabel(1231) == "8:31pm" && clockLabel(0) == "12:00am" && clockLabel(720) == "12:00pm"
                    && clockLabel(325) == "5:25am";
            } },
    };
}

}

int selftest(std::ostream& out)
{
    out << "IkwNight selftest\n";
    std::vector<std::string> failed;
    for (const auto& check : cases()) {
        const bool passed = check.passes();
        out << (passed ? "  ok   " : "  FAIL ") << check.label << '\n';
        if (!passed)
            failed.emplace_back(check.label);
    }
    if (failed.empty())
        out << "IkwNight selftest: PASS\n";
    else
        out << "IkwNight selftest: " << failed.size() << " FAILED\n";
    out.flush();
    return failed.empty() ? 0 : 1;
}

int selftest()
{
    return selftest(std::cout);
}

}
