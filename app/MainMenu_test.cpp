#include "app/MainMenu.h"

#include "app/AppDelegate.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "app/ShellMenuCommands.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

const ui::KeyCombo kCtrlJ { "j", ui::kModControl };
const ui::KeyCombo kCtrlShiftL { "l", ui::kModControl | ui::kModShift };

class MainMenuTest : public ::testing::Test {
protected:
    std::shared_ptr<ui::fake::FakeWindow> newWindow()
    {
        auto window = std::static_pointer_cast<ui::fake::FakeWindow>(toolkit.makeWindow({}));
        window->show();
        menu->attach(window);
        return window;
    }

    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    ManualMainQueue queue;
    ScopedMainQueue installedQueue { queue };
    ui::fake::FakeToolkit toolkit;
    MenuCommands commands;
    std::shared_ptr<MainMenu> menu = std::make_shared<MainMenu>(commands, MainMenuSources {});
    int libraryRuns = 0;
};

TEST_F(MainMenuTest, ABurstOfRebuildsBuildsTheWidgetsOnce)
{
    const auto first = newWindow();
    EXPECT_EQ(first->menuBarsSet, 0); // nothing to show before the first rebuild
    for (int i = 0; i < 10; ++i)
        menu->rebuildMenu();
    const auto second = newWindow(); // a window made meanwhile shows the model at once
    EXPECT_EQ(first->menuBarsSet, 0);
    EXPECT_EQ(second->menuBarsSet, 1);
    queue.drain();
    EXPECT_EQ(first->menuBarsSet, 1);
    EXPECT_EQ(second->menuBarsSet, 2);
    EXPECT_EQ(first->menuBar, menu->current());
    EXPECT_EQ(first->menuBar->menus.size(), 8u);
}

TEST_F(MainMenuTest, UnregisteredCommandsAreDisabledAndKeysValidateBeforeRunning)
{
    bool libraryEnabled = true;
    commands.add("toggleLibrary:", [this](const MenuUse&) { ++libraryRuns; }, [&](const MenuUse&) { return ui::MenuItemState { .enabled = libraryEnabled }; });
    const auto window = newWindow();
    menu->rebuildMenu();
    queue.drain();

    EXPECT_TRUE(window->pressKey(kCtrlJ));
    EXPECT_EQ(libraryRuns, 1);
    libraryEnabled = false;
    EXPECT_FALSE(window->pressKey(kCtrlJ));
    EXPECT_EQ(libraryRuns, 1);

    const auto* newTab = window->findItem({ "File", "New Tab" });
    ASSERT_NE(newTab, nullptr);
    EXPECT_FALSE(window->menuResponder.validate(*newTab).enabled);
    EXPECT_FALSE(window->pressKey({ "t", ui::kModControl }));
    // Entries that only open submenus, and separators, are always enabled.
    EXPECT_TRUE(window->menuResponder.validate(*window->findItem({ "File", "Open Recent" })).enabled);
}

TEST_F(MainMenuTest, AShortcutSetFromTheSettingsPanelTakesOverTheKey)
{
    commands.add("toggleLibrary:", [this](const MenuUse&) { ++libraryRuns; });
    AppDelegate delegate(LaunchServices { .rebuildMenu = [this] { menu->rebuildMenu(); } });
    const auto window = newWindow();
    // A malformed entry beside it does not cost the user's other keys.
    testing::writeTestFile(globals.get().configPath, R"({"shortcuts": {"open": 5}})");
    delegate.setShortcut("library", "ctrl+shift+l");
    queue.drain();
    EXPECT_EQ(loadConfig()["shortcuts"], (Json { { "library", "ctrl+shift+l" } }));
    EXPECT_TRUE(window->pressKey(kCtrlShiftL));
    EXPECT_FALSE(window->pressKey(kCtrlJ));
    EXPECT_EQ(libraryRuns, 1);

    delegate.setShortcut("library", "");
    queue.drain();
    EXPECT_TRUE(window->pressKey(kCtrlJ));
    EXPECT_EQ(libraryRuns, 2);
}

TEST_F(MainMenuTest, MenusThatFillOnOpeningAskTheirFiller)
{
    const auto window = newWindow();
    menu->rebuildMenu();
    queue.drain();
    const auto* openWith = window->findItem({ "File", "Open With" });
    ASSERT_TRUE(openWith && openWith->submenu && openWith->submenu->fillsOnOpen);
    ui::Menu shown = *openWith->submenu;
    window->menuResponder.fill(shown);
    EXPECT_EQ(shown.items.at(0).title, "No Document"); // no filler yet
    menu->setMenuFiller("Open With", [](ui::Menu& filled) { filled.items = { mi("Text Editor", "openInApp:") }; });
    window->menuResponder.fill(shown);
    EXPECT_EQ(shown.items.at(0).title, "Text Editor");
}

TEST_F(MainMenuTest, TheUpdateStatusLineKeepsItsTitleAcrossRebuilds)
{
    const auto window = newWindow();
    menu->setUpdateStatusTitle("Updates: off");
    menu->rebuildMenu();
    queue.drain();
    EXPECT_NE(window->findItem({ Brand::fallback().name, "Updates: off" }), nullptr);
}

TEST_F(MainMenuTest, ShellCommandsActOnTheWindowTheMenuBelongsTo)
{
    registerShellMenuCommands(commands, [this] { return menu->windows(); });
    const auto window = newWindow();
    const auto other = newWindow();
    menu->rebuildMenu();
    queue.drain();
    auto first = std::static_pointer_cast<ui::fake::FakeWebView>(toolkit.makeWebView(nullptr, {}));
    auto second = std::static_pointer_cast<ui::fake::FakeWebView>(toolkit.makeWebView(nullptr, {}));
    window->addTab(first, "a");

    EXPECT_FALSE(window->pressKey({ "Tab", ui::kModControl })); // one tab: nothing to step to
    window->addTab(second, "b");
    EXPECT_TRUE(window->pressKey({ "c", ui::kModControl }));
    EXPECT_EQ(second->editingCommands, (std::vector<ui::EditingCommand> { ui::EditingCommand::Copy }));
    EXPECT_TRUE(window->pressKey({ "Tab", ui::kModControl }));
    EXPECT_EQ(window->selectedTab(), 0); // wrapped
    EXPECT_TRUE(window->pressKey({ "Tab", ui::kModControl | ui::kModShift }));
    EXPECT_EQ(window->selectedTab(), 1);
    EXPECT_TRUE(window->choose({ Brand::fallback().name, "Hide " + Brand::fallback().name }));
    EXPECT_EQ(window->iconified, 1);
    EXPECT_EQ(other->iconified, 1);
    EXPECT_FALSE(other->pressKey({ "a", ui::kModControl })); // no page in it: nothing to select
}

}
}
