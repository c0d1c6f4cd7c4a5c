#include "app/AppearanceMenu.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(AppearanceMenu, ModelsBecomeMenusWhoseCommandsTheTableKnows)
{
    MenuModel model { "Night Mode", {
        MenuItemModel::item("Off", "setNightOff", true),
        MenuItemModel::line("Tonight from 19:40"),
        MenuItemModel::separatorItem(),
        MenuItemModel::item("Night Schedule\u2026", "showNightSettings"),
    } };
    const ui::Menu menu = menuFromModel(model);
    ASSERT_EQ(menu.items.size(), 4u);
    EXPECT_EQ(menu.title, "Night Mode");
    EXPECT_EQ(menu.items[0].command, "setNightOff:");
    EXPECT_EQ(menu.items[0].checked, std::optional<bool>(true));
    EXPECT_EQ(menu.items[1].command, "");
    EXPECT_FALSE(menu.items[1].enabled);
    EXPECT_TRUE(menu.items[2].separator);
    EXPECT_FALSE(menu.items[3].checked.has_value());

    MenuCommands commands;
    registerAppearanceMenuCommands(commands, [] { return nullptr; });
    for (const ui::MenuItem& item : menu.items) {
        if (!item.command.empty()) {
            EXPECT_TRUE(commands.has(item.command)) << item.command;
        }
    }
    for (const char* name : { "setAppearanceLight:", "setAppearanceDark:", "setAppearanceAuto:", "toggleTheme:", "setNightAuto:",
             "setNightOn:", "resumeNightSchedule:", "toggleNightPages:", "editConfig:" })
        EXPECT_TRUE(commands.has(name)) << name;
    // Without a delegate the entries are disabled and choosing one does nothing.
    const MenuUse use { menu.items[0], nullptr };
    EXPECT_FALSE(commands.validate(use).enabled);
    EXPECT_FALSE(commands.perform(use));
}

}
}
