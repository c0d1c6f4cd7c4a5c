#include "finder/DefaultAskSchedule.h"

#include "platform/core/Iso8601.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::finder {
namespace {

constexpr std::time_t kNow = 1'800'000'000;

TEST(DefaultAskSchedule, RulesApplyInOrder)
{
    struct Case {
        const char* name;
        Json stored;
        bool everythingOurs;
        bool due;
        std::optional<Json> dateAfter; // the stored date afterwards; nothing: no date stored
    };
    const std::string past = iso8601Utc(kNow - 60), now = iso8601Utc(kNow), later = iso8601Utc(kNow + 60);
    const std::string snoozed = iso8601Utc(kNow + 2'592'000);
    const Case cases[] = {
        { "a fresh installation is due", Json::object(), false, true, std::nullopt },
        { "never asking wins over a passed date", { { kDefaultNeverAskKey, true }, { kDefaultNextAskAtKey, past } }, false, false, past },
        { "everything ours wins over a passed date", { { kDefaultNextAskAtKey, past } }, true, false, past },
        { "never asking false is no opt-out", { { kDefaultNeverAskKey, false } }, false, true, std::nullopt },
        { "without groups the dates decide: a later date", { { kDefaultNextAskAtKey, later } }, false, false, later },
        { "a date equal to now is due", { { kDefaultNextAskAtKey, now } }, false, true, now },
        { "a passed date is due even after an offer", { { kDefaultNextAskAtKey, past }, { kDefaultPdfOfferedKey, true } }, false, true, past },
        { "a number under the date key is no date", { { kDefaultNextAskAtKey, double(kNow + 600) } }, false, true, double(kNow + 600) },
        { "other text under the date key is no date", { { kDefaultNextAskAtKey, "tomorrow" } }, false, true, "tomorrow" },
        { "an offer made and no date snoozes for 30 days", { { kDefaultPdfOfferedKey, true } }, false, false, snoozed },
        { "an offer made and a number for a date snoozes too", { { kDefaultPdfOfferedKey, true }, { kDefaultNextAskAtKey, 5 } }, false, false, snoozed },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempHome home;
        UserDefaults defaults(home.file("defaults.json"));
        for (const auto& [key, value] : c.stored.items())
            defaults.set(key, value);
        EXPECT_EQ(defaultAskDue(defaults, kNow, [&] { return c.everythingOurs; }), c.due);
        EXPECT_EQ(defaults.value(kDefaultNextAskAtKey), c.dateAfter);
    }
}

TEST(DefaultAskSchedule, OptingOutAsksTheDesktopNothing)
{
    testing::TempHome home;
    UserDefaults defaults(home.file("defaults.json"));
    neverAskDefault(defaults);
    EXPECT_FALSE(defaultAskDue(defaults, kNow, [] {
        ADD_FAILURE() << "asked whether everything is ours";
        return false;
    }));
}

}
}
