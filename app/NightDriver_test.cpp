#include "app/NightDriver.h"

#include "app/AppearanceTesting.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ikw {
namespace {

using testing::AppearanceBench;
using testing::juneDay;
using testing::kClockSchedule;

std::string schedule(const std::string& extra)
{
    return std::string("{") + kClockSchedule + (extra.empty() ? "" : ", " + extra) + "}";
}

constexpr const char* kDarkToast = "Night Mode is on: your schedule dimmed the app, not the computer. Settings changes it.";
constexpr const char* kLightToast = "Night Mode is off: your schedule brought the daylight look back.";

TEST(NightDriver, TheFlipTimerIsArmedOnlyWhileTheScheduleCanFlip)
{
    struct Row {
        const char* what;
        std::string settings;
        std::optional<IkwNight::Instant> armedAt;
    };
    const double stamp = IkwNight::unixSeconds(juneDay(11));
    const Row rows[] = {
        { "off", schedule(R"("night_mode": "off")"), std::nullopt },
        { "always on, no manual choice", schedule(R"("night_mode": "on", "night_set_at": 0)"), std::nullopt },
        { "always on, a manual choice holds", schedule(R"("night_mode": "on", "night_set_at": )" + std::to_string(stamp)), juneDay(20) },
        { "automatic", schedule(R"("night_mode": "auto")"), juneDay(20) },
    };
    for (const auto& row : rows) {
        AppearanceBench bench(row.settings);
        NightDriver driver(bench.hooks);
        driver.scheduleNightFlip();
        EXPECT_EQ(driver.armedFlip(), row.armedAt) << row.what;
        EXPECT_EQ(bench.queue.pendingTimerCount(), row.armedAt ? 1u : 0u) << row.what;
    }
}

TEST(NightDriver, TheTimerFiresAtTheFlipAppliesTheNightAndRearms)
{
    AppearanceBench bench(schedule(R"("night_mode": "auto")"));
    const auto reader = bench.windows.add(true);
    NightDriver driver(bench.hooks);
    driver.scheduleNightFlip();
    bench.queue.advance(8 * 3600 - 1);
    EXPECT_TRUE(reader->scripts.empty());

    bench.setClock(juneDay(20));
    bench.queue.advance(1);
    EXPECT_EQ(reader->count("__setTheme('dark',false)"), 1);
    EXPECT_EQ(reader->count("__ikwNightPages(true)"), 1);
    EXPECT_EQ(bench.forced, AppAppearance::Dark);
    EXPECT_EQ(driver.armedFlip(), juneDay(31)); // 07:00 the next morning
    EXPECT_EQ(bench.queue.pendingTimerCount(), 1u);
}

TEST(NightDriver, AFlipAlreadyPastArmsTheTimerAMinuteFromNow)
{
    AppearanceBench bench(schedule(R"("night_mode": "auto")"));
    // The flip is reckoned at noon, but by the time it is compared the clock reads 21:00 (a
    // sleep in between).
    bench.clock = { juneDay(12), juneDay(21) };
    NightDriver driver(bench.hooks);
    driver.scheduleNightFlip();
    EXPECT_EQ(driver.armedFlip(), juneDay(21, 1));
    bench.queue.advance(59);
    EXPECT_EQ(bench.queue.pendingTimerCount(), 1u);
    bench.queue.advance(1);
    EXPECT_EQ(driver.armedFlip(), juneDay(31)); // fired and re-armed from now
}

TEST(NightDriver, TheHandOverToastsOnceForEachChangeOfSchemeAfterTheFirstApply)
{
    AppearanceBench bench(schedule(R"("night_mode": "auto")"));
    const auto reader = bench.windows.add(true);
    const auto grid = bench.windows.add(false);
    NightDriver driver(bench.hooks);
    driver.applyAppearance(); // launch: no hand-over is recorded yet

    bench.setClock(juneDay(21));
    driver.applyNightNow(); // the first apply only records the scheme
    EXPECT_EQ(driver.lastNightAnnouncedScheme(), "dark");
    EXPECT_EQ(grid->count("__ikwToast"), 0);

    driver.applyNightNow();
    EXPECT_EQ(grid->count("__ikwToast"), 0) << "the same scheme again";

    bench.setClock(juneDay(31));
    driver.applyNightNow();
    EXPECT_EQ(grid->count(kLightToast), 1);
    EXPECT_EQ(reader->count(kLightToast), 1) << "every review window, not only readers";

    bench.setClock(juneDay(44));
    driver.applyNightNow();
    EXPECT_EQ(grid->count(kDarkToast), 1);
    EXPECT_EQ(grid->count("__ikwToast"), 2);
}

TEST(NightDriver, WithTheScheduleOffNothingIsToasted)
{
    AppearanceBench bench(R"({"night_mode": "off"})");
    const auto window = bench.windows.add();
    NightDriver driver(bench.hooks);
    driver.applyNightNow();
    driver.setAppearanceDark();
    driver.applyNightNow();
    driver.setAppearanceLight();
    driver.applyNightNow();
    EXPECT_EQ(window->count("__ikwToast"), 0);
    EXPECT_EQ(bench.queue.pendingTimerCount(), 0u);
}

TEST(NightDriver, WakingAppliesTheNightAndRearmsForTheNextFlip)
{
    AppearanceBench bench(schedule(R"("night_mode": "auto")"));
    const auto window = bench.windows.add();
    NightDriver driver(bench.hooks);
    driver.scheduleNightFlip();
    ASSERT_EQ(driver.armedFlip(), juneDay(20));
    // Asleep from noon until the next morning: the main queue's clock stood still meanwhile.
    bench.setClock(juneDay(22));
    driver.nightWakeCheck();
    EXPECT_EQ(window->count("__setTheme('dark',false)"), 1);
    EXPECT_EQ(driver.armedFlip(), juneDay(31));
    EXPECT_EQ(bench.queue.pendingTimerCount(), 1u);
}

TEST(NightDriver, SwitchingTheScheduleOnReleasesADarkAppearanceUntilTheUserPicksOne)
{
    AppearanceBench bench(schedule(R"("appearance": "dark", "night_mode": "off")"));
    NightDriver driver(bench.hooks);
    driver.setNightMode("auto");
    EXPECT_EQ(bench.settings()["appearance"], "auto");
    EXPECT_EQ(bench.settings()["night_base_released"], true);
    EXPECT_EQ(bench.settings()["night_set_at"], 0);
    const auto titles = driver.nightMenu().titles();
    EXPECT_NE(std::find(titles.begin(), titles.end(), "Appearance moved from Dark to Follow System, so mornings can come back."), titles.end());
    EXPECT_EQ(bench.panelReloads, 1);

    driver.setAppearanceLight();
    EXPECT_EQ(bench.settings()["night_base_released"], false);
    EXPECT_FALSE(driver.nightBaseNote());
}

TEST(NightDriver, AManualChoiceAgainstTheScheduleShowsThePausedLineUntilResumed)
{
    AppearanceBench bench(schedule(R"("night_mode": "auto")"));
    bench.setClock(juneDay(21));
    const auto window = bench.windows.add();
    NightDriver driver(bench.hooks);
    driver.toggleTheme(); // dark at night, so the user asks for light
    EXPECT_EQ(bench.settings()["appearance"], "light");
    EXPECT_EQ(bench.settings()["night_set_at"], IkwNight::unixSeconds(juneDay(21)));
    EXPECT_EQ(window->count("__setTheme('light',false)"), 1);
    EXPECT_EQ(driver.armedFlip(), juneDay(31));

    const auto paused = driver.nightMenu();
    const std::vector<std::string> expected {
        "Off", "Automatically at Night", "Always On", "-",
        IkwNight::windowLabel(driver.nightCfg(), juneDay(21)),
        "Paused until the next change, because you chose Light by hand.", "Resume the Schedule Now", "-",
        "Relight Document Pages", "-", "Night Schedule…",
    };
    EXPECT_EQ(paused.titles(), expected);
    EXPECT_TRUE(paused.items[1].checked);
    EXPECT_FALSE(paused.items[5].enabled);
    EXPECT_EQ(paused.items[6].command, "resumeNightSchedule");

    driver.resumeNightSchedule();
    EXPECT_EQ(bench.settings()["night_set_at"], 0);
    EXPECT_EQ(driver.resolvedScheme(), "dark");
    EXPECT_EQ(driver.nightMenu().items.size(), expected.size() - 2);
}

TEST(NightDriver, TheUserChoiceReachesEveryPageAndBackground)
{
    AppearanceBench bench(R"({"night_mode": "off"})");
    const auto reader = bench.windows.add(true);
    const auto history = bench.windows.add(false, true);
    bench.desktopDark = true;
    NightDriver driver(bench.hooks);
    driver.setAppearanceAuto();
    EXPECT_EQ(reader->scripts.back(), "try{localStorage.removeItem('vrurede-theme')}catch(e){}; if(window.__setTheme){__setTheme('dark',true)}else{document.documentElement.dataset.theme='dark'}");
    EXPECT_EQ(reader->background, reviewBG(true));
    EXPECT_EQ((history->background), (ui::Color { 0.5, 0.5, 0.5, 1 })) << "the open surface keeps its palette's sheet";
    EXPECT_EQ(bench.panelBackground, reviewBG(true));
    EXPECT_EQ(bench.menuRebuilds, 1);
    EXPECT_FALSE(bench.settings().contains("night_set_at")) << "no stamp while the schedule is off";
}

TEST(NightDriver, TheFirstRelightToggleTurnsNightPagesOff)
{
    AppearanceBench bench(R"({"night_mode": "auto"})");
    NightDriver driver(bench.hooks);
    driver.toggleNightPages();
    EXPECT_EQ(bench.settings()["night_pages"], false);
    driver.toggleNightPages();
    EXPECT_EQ(bench.settings()["night_pages"], true);
}

TEST(NightDriver, DesktopChangesReachPagesOnlyWhenFollowingTheDesktop)
{
    struct Row {
        const char* appearance;
        const char* readingTheme;
        int themeCalls;
        int nightPagesCalls;
    };
    const Row rows[] = {
        { "auto", "system", 1, 1 },
        { "auto", "perfile", 1, 0 },
        { "light", "system", 0, 0 },
        { "dark", "system", 0, 0 },
    };
    for (const auto& row : rows) {
        AppearanceBench bench(std::string(R"({"appearance": ")") + row.appearance + R"(", "reading_theme_files": ")" + row.readingTheme + "\"}");
        const auto reader = bench.windows.add(true);
        NightDriver driver(bench.hooks);
        bench.desktopDark = true;
        driver.systemAppearanceChanged();
        bench.queue.advance(NightDriver::kSyncDelaySeconds - 0.01);
        EXPECT_TRUE(reader->scripts.empty()) << row.appearance;
        bench.queue.advance(0.02);
        EXPECT_EQ(reader->count("__setTheme('dark',true)"), row.themeCalls) << row.appearance << " " << row.readingTheme;
        EXPECT_EQ(reader->count("__ikwNightPages(true)"), row.nightPagesCalls) << row.appearance << " " << row.readingTheme;
    }
}

}
}
