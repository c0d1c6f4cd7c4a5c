#include "app/Appearance.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(Appearance, ResolvedSchemeAndEffectiveLook)
{
    struct Case {
        bool night;
        const char* pref;
        AppAppearance forced;
        bool desktopDark;
        const char* scheme;
    };
    const Case cases[] = {
        { true, "light", AppAppearance::Light, false, "dark" },   // night wins over everything
        { false, "dark", AppAppearance::System, false, "dark" },
        { false, "light", AppAppearance::System, true, "light" },
        { false, "auto", AppAppearance::System, true, "dark" },
        { false, "auto", AppAppearance::System, false, "light" },
        { false, "auto", AppAppearance::Dark, false, "dark" },    // the forced look counts, not the desktop
        { false, "auto", AppAppearance::Light, true, "light" },
        { false, "sepia", AppAppearance::System, true, "light" }, // unknown preference
    };
    for (const auto& c : cases) {
        EXPECT_EQ(resolvedScheme(c.night, c.pref, effectiveIsDark(c.forced, c.desktopDark)), c.scheme)
            << c.pref << " night=" << c.night << " desktopDark=" << c.desktopDark;
    }
}

TEST(Appearance, PreferenceDefaultsToAuto)
{
    EXPECT_EQ(appearancePref(Json::object()), "auto");
    EXPECT_EQ(appearancePref(Json { { "appearance", 1 } }), "auto");
    EXPECT_EQ(appearancePref(Json { { "appearance", "dark" } }), "dark");
}

TEST(Appearance, ANightScheduleWithoutAPlaceGetsTheTimeZonesOnce)
{
    setenv("TZ", "America/New_York", 1);
    Json settings { { "night_mode", "auto" } };
    bool filled = false;
    const auto config = nightCfg(settings, filled);
    EXPECT_TRUE(filled);
    EXPECT_EQ(settings["night_place"], "New York");
    EXPECT_TRUE(config.lat.has_value());
    nightCfg(settings, filled);
    EXPECT_FALSE(filled);

    Json off { { "night_mode", "off" } };
    nightCfg(off, filled);
    EXPECT_FALSE(filled);
    EXPECT_FALSE(off.contains("night_lat"));
    unsetenv("TZ");
}

}
}
