#pragma once

// Test doubles for the appearance driver and the settings handler: review windows that record
// what they were sent, a wall clock the test moves, and a time zone fixed for the test.

#include "app/Globals.h"
#include "app/NightDriver.h"
#include "app/Settings.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TempHome.h"

#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw::testing {

class RecordedWindow final : public OpenReviewWindow {
public:
    explicit RecordedWindow(bool reader = false, bool openSurface = false) : reader(reader), openSurface(openSurface) {}
    bool isReader() const override { return reader; }
    bool isOpenSurface() const override { return openSurface; }
    void evaluate(const std::string& script) override { scripts.push_back(script); }
    void setBackground(const ui::Color& color) override { background = color; }

    int count(const std::string& fragment) const
    {
        int found = 0;
        for (const auto& script : scripts)
            found += script.find(fragment) != std::string::npos;
        return found;
    }

    bool reader;
    bool openSurface;
    std::vector<std::string> scripts;
    std::optional<ui::Color> background;
};

class RecordedWindows final : public ReviewWindowRegistry {
public:
    bool isEmpty() const override { return list.empty(); }
    bool hasVisibleWindow() const override { return !list.empty(); }
    void openPage(const std::optional<std::string>&, const ui::WebView*) override {}
    bool showHome(const ui::WebView&, const std::optional<std::string>&) override { return false; }
    void openReview(const std::vector<std::string>&) override {}
    std::vector<std::shared_ptr<OpenReviewWindow>> openWindows() const override { return { list.begin(), list.end() }; }

    std::shared_ptr<RecordedWindow> add(bool reader = false, bool openSurface = false)
    {
        list.push_back(std::make_shared<RecordedWindow>(reader, openSurface));
        return list.back();
    }
    void clearScripts()
    {
        for (const auto& window : list)
            window->scripts.clear();
    }

    std::vector<std::shared_ptr<RecordedWindow>> list;
};

// 2026-06-15 at `hour`:`minute` in the test's zone (UTC).
inline IkwNight::Instant juneDay(int hour, int minute = 0)
{
    return IkwNight::fromUnixSeconds(1781481600.0 + hour * 3600.0 + minute * 60.0);
}

// The environment's paths with the bundle's resources in `folder` (tests never touch the build's).
inline Paths pathsWithResources(const std::string& folder)
{
    Paths paths = Paths::fromEnvironment();
    paths.resourcesDir = folder;
    return paths;
}

// A temporary home with its settings file, the main queue on a fake clock, recorded windows and a
// wall clock in UTC the test sets; the driver is wired to them.
struct AppearanceBench {
    explicit AppearanceBench(const std::string& settingsJSON = "{}")
    {
        writeTestFile(globals.get().configPath, settingsJSON);
        hooks.windows = &windows;
        hooks.setAppAppearance = [this](AppAppearance value) { forced = value; };
        hooks.effectiveIsDark = [this] { return forced == AppAppearance::Dark || (forced == AppAppearance::System && desktopDark); };
        hooks.applyAppIcon = [this] { ++iconApplies; };
        hooks.clock = [this] {
            const auto reading = clock.front();
            if (clock.size() > 1)
                clock.pop_front();
            return reading;
        };
        hooks.rebuildMenu = [this] { ++menuRebuilds; };
        hooks.reloadSettingsPanelIfOpen = [this] { ++panelReloads; };
        hooks.setPanelBackgrounds = [this](const ui::Color& color) { panelBackground = color; };
        hooks.openSurfaceBackground = [](const Json&, bool) { return ui::Color { 0.5, 0.5, 0.5, 1 }; };
    }

    Json settings() const { return loadConfig(); }
    void setClock(IkwNight::Instant reading) { clock = { reading }; }

    ScopedTimeZone zone { "UTC" };
    TempHome home;
    ScopedGlobals globals { Globals::build(pathsWithResources(home.file("Resources"))) };
    ManualMainQueue queue;
    RecordedWindows windows;
    std::deque<IkwNight::Instant> clock { juneDay(12) };
    AppAppearance forced = AppAppearance::System;
    bool desktopDark = false;
    int iconApplies = 0;
    int menuRebuilds = 0;
    int panelReloads = 0;
    std::optional<ui::Color> panelBackground;
    AppearanceHooks hooks;
};

// A schedule from 20:00 to 07:00 by the clock, no place needed.
inline constexpr const char* kClockSchedule = R"("night_from": "time", "night_from_time": "20:00", "night_until": "time", "night_until_time": "07:00")";

}
