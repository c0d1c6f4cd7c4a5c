#include "app/AppDelegate.h"
#include "app/Globals.h"
#include "app/MainMenu.h"
#include "app/MenuBarItem.h"
#include "app/Settings.h"
#include "app/StatusMenu.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

using ui::fake::FakeStatusItem;

// The titles of a menu's entries, separators as "-".
std::vector<std::string> titles(const ui::Menu& menu)
{
    std::vector<std::string> out;
    for (const auto& item : menu.items)
        out.push_back(item.separator ? "-" : item.title);
    return out;
}

const ui::Menu& openRecent(const FakeStatusItem& item)
{
    for (const auto& entry : item.menu->items) {
        if (entry.title == "Open Recent")
            return *entry.submenu;
    }
    throw std::runtime_error("no Open Recent");
}

std::vector<RecentItem> recents(int count)
{
    std::vector<RecentItem> items;
    for (int i = 0; i < count; ++i)
        items.push_back({ "/docs/doc" + std::to_string(i) + ".pdf", false });
    return items;
}

struct Bench {
    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    ui::fake::FakeStatusBar bar;
    std::string icon;
    MenuBarItem item { MenuBarItemParts {
        .bar = &bar,
        .brand = globals.get().brand,
        .id = "ikw-test",
        .iconFolder = home.file("cache"),
        .iconPath = [this] { return icon; },
        .responder = {},
    } };
};

TEST(MenuBarItem, OnlyTheBoolTrueShowsTheItemAndSwitchingOnAgainBuildsAFreshOne)
{
    struct Row {
        const char* settings;
        bool shown;
    };
    const Row rows[] = {
        { R"({"menu_bar_icon": "true"})", false },
        { R"({"menu_bar_icon": 1})", false },
        { R"({})", false },
        { R"({"menu_bar_icon": true})", true },
        { R"({"menu_bar_icon": true})", true }, // already shown: the same item stays
        { R"({"menu_bar_icon": false})", false },
        { R"({"menu_bar_icon": true})", true },
    };
    Bench bench;
    for (const auto& row : rows) {
        bench.item.update(Json::parse(row.settings));
        EXPECT_EQ(bench.bar.shown().size(), row.shown ? 1u : 0u) << row.settings;
        EXPECT_EQ(bench.item.isShown(), row.shown) << row.settings;
    }
    EXPECT_EQ(bench.bar.made, 2) << "shown once, then afresh after being switched off";
    ASSERT_TRUE(bench.bar.item());
    EXPECT_EQ(bench.bar.item()->menusSet, 1);
    EXPECT_EQ(titles(*bench.bar.item()->menu),
        (std::vector<std::string> { "Refresh / Reload All", "-", "Open Folder\u2026", "New Window", "Open Recent", "-", "Settings\u2026",
            "Agreements Needing Attention\u2026", "Pair with iPhone\u2026", "Help", "About " + bench.globals.get().brand.name, "-",
            "Quit " + bench.globals.get().brand.name }));
}

TEST(MenuBarItem, ShowsTheApplicationIconOrElseTheBrandName)
{
    Bench bench;
    bench.icon = testing::writeTestFile(bench.home.file("icons/stack_ink.png"), "png");
    bench.item.update(Json::parse(R"({"menu_bar_icon": true})"));
    ASSERT_TRUE(bench.bar.item());
    EXPECT_EQ(bench.bar.item()->icon, bench.icon);
    EXPECT_EQ(bench.bar.item()->options.iconFolder, bench.home.file("cache"));
    EXPECT_EQ(bench.bar.item()->label, "");

    bench.item.update(Json::parse(R"({"menu_bar_icon": false})"));
    bench.icon = bench.home.file("icons/missing.png");
    bench.item.update(Json::parse(R"({"menu_bar_icon": true})"));
    EXPECT_FALSE(bench.bar.item()->icon);
    EXPECT_EQ(bench.bar.item()->label, bench.globals.get().brand.name);
}

TEST(MenuBarItem, OpenRecentFollowsEveryRebuildOfTheMainMenuUpToTen)
{
    Bench bench;
    ManualMainQueue queue;
    MenuCommands commands;
    std::vector<RecentItem> stored = recents(1);
    const auto mainMenu = std::make_shared<MainMenu>(commands, MainMenuSources {
        .settings = [] { return Json::object(); },
        .recentItems = [&stored] { return stored; },
        .pinnedFolders = [] { return std::vector<std::string> {}; },
    });
    mainMenu->setRebuildListener([&bench](const MainMenuInputs& inputs) { bench.item.showRecents(inputs.recentItems, inputs.exists); });

    bench.item.update(Json::parse(R"({"menu_bar_icon": true})"));
    EXPECT_EQ(titles(openRecent(*bench.bar.item())), std::vector<std::string> { "No Recent Items" });
    mainMenu->rebuildMenu();
    EXPECT_EQ(titles(openRecent(*bench.bar.item())), std::vector<std::string> { "doc0.pdf" });
    const int menusSet = bench.bar.item()->menusSet;
    mainMenu->rebuildMenu();
    EXPECT_EQ(bench.bar.item()->menusSet, menusSet) << "the same recents keep the menu that shows";

    stored = recents(12);
    mainMenu->rebuildMenu();
    const auto& shown = openRecent(*bench.bar.item());
    ASSERT_EQ(shown.items.size(), kStatusRecentLimit) << "no \"Clear Menu\", at most ten";
    EXPECT_EQ(shown.items.front().title, "doc0.pdf");
    EXPECT_EQ(shown.items.back().representedObject, "/docs/doc9.pdf");
    EXPECT_EQ(shown.items.back().command, "openRecentItem:");
    EXPECT_EQ(shown.items.back().toolTip, "/docs/doc9.pdf  (not found at this path)");
}

// Counts quits; the delegate's status item keeps the program running.
class QuitCounter final : public ui::Application {
public:
    int run(int, char**) override { return 0; }
    void quit() override { ++quits; }
    bool hasVisibleWindows() const override { return false; }
    void hold() override {}
    void release() override {}
    void exportAction(const std::string&, UriListHandler) override {}
    void exportPlainAction(const std::string& name, std::function<void()> handler) override { plainActions[name] = std::move(handler); }
    int quits = 0;
    std::map<std::string, std::function<void()>> plainActions;
};

struct Delegate {
    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    ManualMainQueue queue;
    ui::fake::FakeToolkit toolkit;
    QuitCounter application;
    std::vector<std::string> performed;
    std::shared_ptr<AppDelegate> delegate = std::make_shared<AppDelegate>(
        LaunchServices {
            .windowlessMenuResponder = [this] {
                return ui::MenuResponder { .validate = {}, .perform = [this](const ui::MenuItem& item) { performed.push_back(item.command); }, .fill = {} };
            },
        },
        DelegateParts { .application = &application, .toolkit = &toolkit });
    ui::fake::FakeStatusBar& bar() { return toolkit.fakeStatusBar; }
};

TEST(MenuBarItem, TheSettingShowsItAndItKeepsTheProgramRunningWithNoWindow)
{
    Delegate app;
    testing::writeTestFile(app.globals.get().configPath, R"({"menu_bar_icon": true})");
    app.delegate->applicationDidFinishLaunching();
    ASSERT_TRUE(app.bar().item()) << "shown at launch";
    app.delegate->lastWindowClosed();
    EXPECT_EQ(app.application.quits, 0);

    app.delegate->settingsHandler().applyConfig("menu_bar_icon", "0");
    EXPECT_TRUE(app.bar().shown().empty());
    app.delegate->lastWindowClosed();
    EXPECT_EQ(app.application.quits, 1);

    app.delegate->settingsHandler().applyConfig("menu_bar_icon", "1");
    ASSERT_TRUE(app.bar().item());
    // Its entries go to the main menu's commands.
    app.bar().item()->responder.perform(app.bar().item()->menu->items.front());
    EXPECT_EQ(app.performed, std::vector<std::string> { "reloadReview:" });
}

TEST(MenuBarItem, ANewApplicationIconReachesTheShownItem)
{
    Delegate app;
    const std::string folder = app.delegate->settingsHandler().appIconsDir();
    testing::writeTestFile(folder + "/stack_slate_light.png", "png");
    const std::string ink = testing::writeTestFile(folder + "/stack_ink.png", "png");
    app.delegate->settingsHandler().applyConfig("menu_bar_icon", "true");
    ASSERT_TRUE(app.bar().item());
    EXPECT_EQ(app.bar().item()->icon, folder + "/stack_slate_light.png");
    app.delegate->settingsHandler().setAppIcon("stack_ink");
    EXPECT_EQ(app.bar().item()->icon, ink);
}

TEST(MenuBarItem, TheLaunchersActionsRunTheDockMenusEntries)
{
    Delegate app;
    const ui::Menu dock = AppDelegate::applicationDockMenu();
    EXPECT_EQ(titles(dock), (std::vector<std::string> { "Open\u2026", "New Window" }));
    app.delegate->applicationDidFinishLaunching();
    for (const auto& item : dock.items) {
        EXPECT_TRUE(item.key.empty()) << item.title;
        const auto action = app.application.plainActions.find(desktopActionName(item.command));
        ASSERT_NE(action, app.application.plainActions.end()) << item.command;
        action->second();
    }
    EXPECT_EQ(app.performed, (std::vector<std::string> { "openFolder:", "newWindow:" }));
}

}
}
