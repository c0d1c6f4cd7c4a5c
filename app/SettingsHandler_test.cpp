#include "app/SettingsHandler.h"

#include "app/AppearanceTesting.h"
#include "platform/ui/fake/FakeToolkit.h"

#include <gtest/gtest.h>

#include <limits>

namespace ikw {
namespace {

using testing::AppearanceBench;
using testing::juneDay;

// The JSON type as a reader of the store tells them apart (whole numbers of either sign alike).
std::string kind(const Json& value)
{
    if (value.is_number_integer())
        return "integer";
    if (value.is_number_float())
        return "float";
    return value.type_name();
}

struct Handler {
    explicit Handler(const std::string& settings)
        : bench(settings)
    {
    }
    AppearanceBench bench;
    std::shared_ptr<testing::RecordedWindow> reader = bench.windows.add(true);
    std::shared_ptr<testing::RecordedWindow> grid = bench.windows.add(false);
    NightDriver driver { bench.hooks };
    ui::fake::FakeToolkit toolkit;
    SettingsHandler handler { driver, SettingsHandlerHooks { .windows = &bench.windows, .toolkit = &toolkit, .setStatusItemIcon = {} } };
};

TEST(SettingsHandler, EachValueIsStoredWithItsTypeAndRunsItsOneReaction)
{
    // Each row starts from this store: a depth, a place, a manual choice holding, the schedule on.
    const std::string before = std::string(R"({"max_depth": 5, "night_lat": 40.5, "night_lon": -3.5, "night_place": "Madrid",
        "night_set_at": 1781510000, "night_mode": "auto", )") + testing::kClockSchedule + "}";
    struct Row {
        const char* key;
        const char* value;
        std::optional<Json> stored; // nothing: the key is absent
        const char* readerScript;   // a fragment the reader page gets, "" for none
        bool rearmed;               // the flip timer was re-armed and the manual choice ended
    };
    const Row rows[] = {
        { "max_depth", "3", Json(3), "", false },
        { "max_depth", "+4", Json(4), "", false },
        { "max_depth", "-1", Json(nullptr), "", false },
        { "max_depth", "", Json(5), "", false },
        { "max_depth", "abc", Json(5), "", false },
        { "max_depth", "3.5", Json(5), "", false },
        { "max_depth", "99999999999999999999", Json(5), "", false },
        { "night_pages", "yes", Json(false), "__ikwNightPages", true },
        { "night_pages", "true", Json(true), "__ikwNightPages", true },
        { "night_from", "sunset", Json("sunset"), "__setTheme", true },
        { "night_set_at", "5", Json("5"), "", false },
        { "night_lat", "51.5", Json(51.5), "__setTheme", true },
        { "night_lon", " -0.12 ", Json(-0.12), "__setTheme", true },
        { "night_lat", "", std::nullopt, "__setTheme", true },
        { "night_lat", "91", Json(40.5), "__setTheme", true },
        { "night_lat", "north", Json(40.5), "__setTheme", true },
        { "night_lon", "nan", Json(-3.5), "__setTheme", true },
        { "night_lon", "1e2", Json(-3.5), "__setTheme", true },
        { "reading_theme_files", "anything", Json("anything"), "__ikwPTMode('system')", false },
        { "reading_theme_files", "perfile", Json("perfile"), "__ikwPTMode('perfile')", false },
        { "reader_statusbar", "1", Json(true), "ikwStatusBar(true)", false },
        { "reader_zoom_with_window", "no", Json(false), "ikwZoomWithWin(false)", false },
        { "auto_refresh", "true", Json(true), "", false },
        { "appearance", "dark", Json("dark"), "", false },
        { "viewer", "engine", Json("engine"), "", false },
    };
    for (const auto& row : rows) {
        Handler setup(before);
        setup.handler.applyConfig(row.key, row.value);
        const Json settings = setup.bench.settings();
        const std::string what = std::string(row.key) + "=\"" + row.value + "\"";
        if (row.stored) {
            ASSERT_TRUE(settings.contains(row.key)) << what;
            EXPECT_EQ(settings[row.key], *row.stored) << what;
            EXPECT_EQ(kind(settings[row.key]), kind(*row.stored)) << what;
        } else {
            EXPECT_FALSE(settings.contains(row.key)) << what;
        }
        const std::string fragment = row.readerScript;
        EXPECT_EQ(setup.reader->count(fragment.empty() ? "(" : fragment) > 0, !fragment.empty()) << what;
        EXPECT_EQ(setup.driver.armedFlip().has_value(), row.rearmed) << what;
        if (row.key != std::string("night_set_at")) {
            EXPECT_EQ(settings["night_set_at"] == 0, row.rearmed) << what;
        }
        EXPECT_EQ(setup.grid->count("ikwStatusBar") + setup.grid->count("ikwZoomWithWin") + setup.grid->count("__ikwPTMode"), 0) << what;
        EXPECT_GE(setup.bench.menuRebuilds, 1) << what;
    }
}

TEST(SettingsHandler, AnAppearanceValueOnlySetsTheApplicationsLook)
{
    Handler setup(R"({"night_mode": "auto"})");
    setup.handler.applyConfig("appearance", "dark");
    EXPECT_EQ(setup.bench.forced, AppAppearance::Dark);
    EXPECT_TRUE(setup.reader->scripts.empty());
    EXPECT_FALSE(setup.bench.settings().contains("night_set_at")) << "no manual choice is stamped";
}

TEST(SettingsHandler, TheScheduleModeGoesThroughTheScheduleSwitch)
{
    Handler setup(R"({"appearance": "dark", "night_mode": "off", "night_set_at": 99})");
    setup.handler.applyConfig("night_mode", "auto");
    const Json settings = setup.bench.settings();
    EXPECT_EQ(settings["night_mode"], "auto");
    EXPECT_EQ(settings["night_set_at"], 0);
    EXPECT_EQ(settings["night_base_released"], true);
    EXPECT_EQ(setup.bench.panelReloads, 1);
}

TEST(SettingsHandler, ReactionRowsOfOtherFeaturesRunForTheirKeysOnly)
{
    Handler setup("{}");
    std::vector<std::string> seen;
    setup.handler.reactions().add("menu_bar_icon", [&seen](const std::string& value) { seen.push_back("menu " + value); });
    setup.handler.applyConfig("menu_bar_icon", "1");
    setup.handler.applyConfig("remember_closed_tabs", "0");
    EXPECT_EQ(seen, (std::vector<std::string> { "menu 1" }));
    EXPECT_EQ(setup.bench.settings()["menu_bar_icon"], true);
}

struct IconFolder {
    explicit IconFolder(const Handler& setup)
        : folder(setup.handler.appIconsDir())
    {
        testing::writeTestFile(folder + "/stack_slate_light.png", "png");
        testing::writeTestFile(folder + "/stack_ink.png", "png");
    }
    std::string folder;
};

TEST(SettingsHandler, AnIconNameThatIsNoIconFileShowsTheDefaultIcon)
{
    struct Row {
        const char* name;
        const char* shown;
    };
    const Row rows[] = {
        { "stack_ink", "stack_ink" },
        { "missing", "stack_slate_light" },
        { "", "stack_slate_light" },
        { "../appicons/stack_ink", "stack_slate_light" },
        { "/tmp/stack_ink", "stack_slate_light" },
        { ".", "stack_slate_light" },
        { "..", "stack_slate_light" },
    };
    for (const auto& row : rows) {
        Handler setup("{}");
        const IconFolder icons(setup);
        std::optional<std::string> statusIcon;
        setup.handler.hooks().setStatusItemIcon = [&statusIcon](const std::string& path) { statusIcon = path; };
        setup.handler.setAppIcon(row.name);
        const std::string expected = icons.folder + "/" + row.shown + ".png";
        EXPECT_EQ(setup.toolkit.defaultIcon, expected) << row.name;
        EXPECT_EQ(statusIcon, expected) << row.name;
        EXPECT_EQ(setup.bench.settings()["app_icon"], row.name);
    }
}

TEST(SettingsHandler, AnIconThatDoesNotLoadLeavesTheIconAsItWas)
{
    Handler setup(R"({"app_icon": "stack_ink"})");
    const IconFolder icons(setup);
    setup.handler.applyAppIcon();
    ASSERT_EQ(setup.toolkit.defaultIcon, icons.folder + "/stack_ink.png");
    setup.toolkit.unloadableIcons.push_back(icons.folder + "/stack_slate_light.png");
    setup.handler.setAppIcon("stack_slate_light");
    EXPECT_EQ(setup.toolkit.defaultIcon, icons.folder + "/stack_ink.png");
}

TEST(SettingsHandler, TheUserEnginesIconVariantsComeBeforeTheBundlesIcons)
{
    Handler setup("{}");
    EXPECT_EQ(setup.handler.appIconsDir(), globals().paths.resourcesDir + "/appicons");
    const std::string variants = setup.bench.home.file(std::string(kUserEngineFolder) + "/app/icon/variants");
    testing::writeTestFile(variants + "/stack_slate_light.png", "png");
    EXPECT_EQ(setup.handler.appIconsDir(), variants);
}

TEST(SettingsHandler, EditingTheSettingsWritesAMissingFileFirstThenOpensIt)
{
    Handler setup("{}");
    const std::string& path = globals().configPath;
    testing::removeTree(path);
    setup.handler.editConfig();
    EXPECT_EQ(loadConfig()["max_depth"], 2);
    EXPECT_EQ(setup.toolkit.fakeWorkspace.openedFiles, (std::vector<std::string> { path }));
    setup.toolkit.fakeWorkspace.opens = false; // a failed launch changes nothing
    setup.handler.editConfig();
    EXPECT_EQ(setup.toolkit.fakeWorkspace.openedFiles.size(), 2u);
}

TEST(SettingsHandler, TheSettingsFileGoesToTheDesktopsTextEditorButNeverToUs)
{
    Handler setup("{}");
    const std::string& path = globals().configPath;
    auto& workspace = setup.toolkit.fakeWorkspace;
    workspace.defaultApplications["text/plain"] = { "org.example.Notes.desktop", "Notes" };
    setup.handler.editConfig();
    EXPECT_EQ(workspace.openedWith, (std::vector<std::pair<std::string, std::string>> { { path, "org.example.Notes.desktop" } }));
    EXPECT_TRUE(workspace.openedFiles.empty());

    workspace.defaultApplications["text/plain"] = { std::string(kApplicationId) + ".desktop", "Inkwarden" };
    setup.handler.editConfig();
    EXPECT_EQ(workspace.openedWith.size(), 1u);
    EXPECT_EQ(workspace.openedFiles, std::vector<std::string> { path });
}

TEST(SettingsHandler, WholeNumbersAreBase10WithAnOptionalSign)
{
    EXPECT_EQ(parseWholeNumber("-9223372036854775808"), std::numeric_limits<long long>::min());
    EXPECT_EQ(parseWholeNumber("9223372036854775808"), std::nullopt);
    for (const char* text : { "", "+", "-", " 1", "1 ", "0x10", "1e3", "--1" })
        EXPECT_EQ(parseWholeNumber(text), std::nullopt) << text;
}

}
}
