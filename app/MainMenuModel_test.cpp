#include "app/MainMenuModel.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ikw {
namespace {

const ui::Menu& menuNamed(const ui::MenuBar& bar, const std::string& title)
{
    const auto it = std::find_if(bar.menus.begin(), bar.menus.end(), [&](const ui::Menu& menu) { return menu.title == title; });
    if (it == bar.menus.end())
        throw std::runtime_error("no menu " + title);
    return *it;
}

const ui::MenuItem& itemNamed(const std::vector<ui::MenuItem>& items, const std::string& title)
{
    const auto it = std::find_if(items.begin(), items.end(), [&](const ui::MenuItem& item) { return item.title == title; });
    if (it == items.end())
        throw std::runtime_error("no item " + title);
    return *it;
}

std::vector<std::string> titles(const std::vector<ui::MenuItem>& items)
{
    std::vector<std::string> result;
    for (const auto& item : items)
        result.push_back(item.separator ? "-" : item.title);
    return result;
}

MainMenuInputs inputs()
{
    MainMenuInputs in;
    in.brand = Brand::fallback();
    in.brand.modules["redact"] = true;
    in.exists = [](const std::string&) { return true; };
    return in;
}

TEST(MainMenuModel, EightMenusAppFirstTitledWithTheBrand)
{
    const auto bar = buildMainMenu(inputs());
    std::vector<std::string> names;
    for (const auto& menu : bar.menus)
        names.push_back(menu.title);
    EXPECT_EQ(names, (std::vector<std::string> { Brand::fallback().name, "File", "Edit", "View", "Go", "Tools", "Window", "Help" }));
    const auto& app = bar.menus.front();
    // Kept in the model, never shown: the desktop has no counterpart.
    EXPECT_TRUE(itemNamed(app.items, "Hide Others").hidden);
    EXPECT_TRUE(itemNamed(app.items, "Show All").hidden);
    EXPECT_EQ(itemNamed(app.items, "Hide " + Brand::fallback().name).command, "hide:");
    EXPECT_EQ(itemNamed(app.items, "Updates: on").enabled, false);
}

TEST(MainMenuModel, WithoutTheRedactModuleOnlyThatFileItemIsMissing)
{
    auto withRedact = inputs();
    auto without = inputs();
    without.brand.modules.erase("redact");
    auto expected = titles(menuNamed(buildMainMenu(withRedact), "File").items);
    expected.erase(std::find(expected.begin(), expected.end(), "Redact a Document\u2026"));
    EXPECT_EQ(titles(menuNamed(buildMainMenu(without), "File").items), expected);
}

TEST(MainMenuModel, OpenRecentShowsTwelveAndMarksMissingOnes)
{
    auto in = inputs();
    for (int i = 0; i < 20; ++i)
        in.recentItems.push_back({ "/docs/" + std::to_string(i) + ".pdf", false, 0 });
    in.exists = [](const std::string& path) { return path != "/docs/3.pdf"; };
    const auto bar = buildMainMenu(in);
    const auto& recent = *itemNamed(menuNamed(bar, "File").items, "Open Recent").submenu;
    ASSERT_EQ(recent.items.size(), 12u + 2u); // the items, a separator, "Clear Menu"
    EXPECT_EQ(recent.items[0].title, "0.pdf");
    EXPECT_EQ(recent.items[0].command, "openRecentItem:");
    EXPECT_EQ(recent.items[0].representedObject, "/docs/0.pdf");
    EXPECT_EQ(recent.items[0].toolTip, "/docs/0.pdf");
    EXPECT_EQ(recent.items[3].toolTip, "/docs/3.pdf  (not found at this path)");
    EXPECT_EQ(recent.items.back().command, "clearRecent:");

    const auto empty = openRecentMenu({}, in.exists);
    ASSERT_EQ(empty.items.size(), 1u);
    EXPECT_EQ(empty.items[0].title, "No Recent Items");
    EXPECT_FALSE(empty.items[0].enabled);
}

TEST(MainMenuModel, FavoritesListEveryPinThenThePinCommands)
{
    EXPECT_EQ(titles(favoritesMenu({ "/m/Matter A", "/m/B" }).items),
        (std::vector<std::string> { "Matter A", "B", "-", "Pin Current Folder", "Unpin Current Folder" }));
    const auto none = favoritesMenu({});
    EXPECT_EQ(none.items[0].title, "No Pinned Libraries");
    EXPECT_FALSE(none.items[0].enabled);
}

TEST(MainMenuModel, ChecksAndTitlesFollowTheSettings)
{
    const struct {
        const char* settings;
        bool autoRefresh, floatOnTop;
        const char* appearance;
        const char* statusBar;
    } cases[] {
        { "{}", true, false, "Follow System", "Hide Status Bar" },
        { R"({"auto_refresh": false, "always_on_top": true, "appearance": "dark", "reader_statusbar": false})", false, true, "Dark", "Show Status Bar" },
        { R"({"auto_refresh": 0, "always_on_top": 1, "appearance": "light", "reader_statusbar": true})", true, false, "Light", "Hide Status Bar" },
        { R"({"auto_refresh": "no", "appearance": 3, "reader_statusbar": "false"})", true, false, "Follow System", "Hide Status Bar" },
        { R"({"appearance": "sepia"})", true, false, "", "Hide Status Bar" }, // no look of that name: none is checked
    };
    for (const auto& c : cases) {
        auto in = inputs();
        in.settings = Json::parse(c.settings);
        const auto bar = buildMainMenu(in);
        const auto& view = menuNamed(bar, "View").items;
        EXPECT_EQ(itemNamed(view, "Auto-Refresh on File Changes").checked, c.autoRefresh) << c.settings;
        EXPECT_EQ(itemNamed(menuNamed(bar, "Window").items, "Float on Top").checked, c.floatOnTop) << c.settings;
        for (const auto& item : itemNamed(view, "Appearance").submenu->items)
            EXPECT_EQ(item.checked, item.title == c.appearance) << c.settings << " " << item.title;
        EXPECT_EQ(std::count_if(view.begin(), view.end(), [&](const ui::MenuItem& item) { return item.title == c.statusBar; }), 1) << c.settings;
    }
}

TEST(MainMenuModel, KeysFollowTheDesktopAndTheUsersShortcuts)
{
    auto in = inputs();
    in.settings = Json::parse(R"({"shortcuts": {"library": "ctrl+shift+l", "newtab": "none"}})");
    const auto bar = buildMainMenu(in);
    const auto& file = menuNamed(bar, "File").items;
    EXPECT_EQ(itemNamed(file, "Library").key, (ui::KeyCombo { "l", ui::kModControl | ui::kModShift }));
    EXPECT_TRUE(itemNamed(file, "New Tab").key.empty()); // the item stays, without a key
    EXPECT_EQ(itemNamed(file, "Close All Windows").key, (ui::KeyCombo { "w", ui::kModControl | ui::kModAlt | ui::kModShift }));
    EXPECT_EQ(itemNamed(menuNamed(bar, "View").items, "Enter Full Screen").key, (ui::KeyCombo { "F11", 0 }));
    EXPECT_EQ(itemNamed(menuNamed(bar, "Go").items, "Last Page").key, (ui::KeyCombo { "Down", ui::kModControl | ui::kModAlt }));
    EXPECT_EQ(itemNamed(menuNamed(bar, "Window").items, "Show Previous Tab").key, (ui::KeyCombo { "Tab", ui::kModControl | ui::kModShift }));
    // Alternates sit right after their primary.
    const auto titlesOfFile = titles(file);
    const auto show = std::find(titlesOfFile.begin(), titlesOfFile.end(), "Show in Files");
    ASSERT_NE(show, titlesOfFile.end());
    EXPECT_EQ(*(show + 1), "Copy Path");
}

TEST(MainMenuModel, ToolTipsOfTheToolsNameTheDesktopsEngines)
{
    const auto bar = buildMainMenu(inputs());
    const auto& tools = menuNamed(bar, "Tools").items;
    const auto& ocr = itemNamed(tools, "Make Searchable (OCR)");
    EXPECT_EQ(ocr.toolTip, "On-device OCR (Tesseract) so scanned PDFs become searchable. Nothing is uploaded.");
    EXPECT_EQ(ocr.representedObject, "ocr");
    EXPECT_EQ(itemNamed(tools, "Smart Rename\u2026").toolTip,
        "Rename documents by what they actually say \u2014 on-device (the local AI model). Review before applying.");
}

TEST(MainMenuModel, NightAndUpdateEntriesComeFromTheirSources)
{
    auto in = inputs();
    EXPECT_FALSE(itemNamed(menuNamed(buildMainMenu(in), "View").items, "Night Mode").submenu);
    in.nightMenu = ui::Menu { "Night Mode", { mi("Off", "nightOff:") }, false };
    auto update = sub("Software Update", ui::Menu { "Software Update", {}, true });
    in.updateSubmenuItem = update;
    in.updateStatusTitle = "Updates: checking\u2026";
    const auto bar = buildMainMenu(in);
    EXPECT_EQ(itemNamed(menuNamed(bar, "View").items, "Night Mode").submenu->items.at(0).command, "nightOff:");
    const auto appTitles = titles(bar.menus.front().items);
    EXPECT_EQ(appTitles[1], "Software Update");
    EXPECT_EQ(appTitles[3], "Updates: checking\u2026");
}

}
}
