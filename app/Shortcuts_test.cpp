#include "app/Shortcuts.h"

#include "app/MenuKeys.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(Shortcuts, ParseComboReadsModifiersAndTheLastKey)
{
    const struct {
        const char* combo;
        KeyEquivalent expected;
    } cases[] {
        { " Cmd + Shift + T ", { "t", kMaskCommand | kMaskShift } },
        { "cmd+A", { "a", kMaskCommand } }, // lowercased: no shift unless named
        { "ctrl+return", { "\r", kMaskControl } },
        { "\u2325+space", { " ", kMaskOption } },
        { "\u2318 + \u21E7 + k", { "k", kMaskCommand | kMaskShift } },
        { "\u2318\u21E7", { "\u2318", 0 } }, // not one symbol per part: a key, not modifiers
        { "command+control+option+shift+enter", { "\r", kMaskCommand | kMaskControl | kMaskOption | kMaskShift } },
        { "cmd+shift", { "", kMaskCommand | kMaskShift } },
        { "cmd++x", { "x", kMaskCommand } },
        { "+", { "", 0 } },
        { "", { "", 0 } },
        { "a+b", { "b", 0 } },
        { "alt+\u00C9t\u00E9", { "\u00E9", kMaskOption } },
        { "ctrl+e\u0301x", { "e\u0301", kMaskControl } }, // the first character, accent included
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseCombo(c.combo), c.expected) << c.combo;
}

TEST(Shortcuts, ShortcutForFallsBackToTheDefaultUnlessTheEntryGivesAKey)
{
    const auto& library = act("library"); // default Ctrl+J
    const KeyEquivalent fallback { "j", kMaskCommand };
    const struct {
        Json shortcuts;
        KeyEquivalent expected;
    } cases[] {
        { nullptr, fallback },
        { Json::object(), fallback },
        { Json("cmd+l"), fallback },                               // not a dictionary
        { Json { { "library", "" } }, fallback },
        { Json { { "library", "NoNe" } }, { "", 0 } },
        { Json { { "library", "cmd+shift" } }, fallback },         // modifiers only
        { Json { { "library", "ctrl+shift+l" } }, { "l", kMaskControl | kMaskShift } },
        // One entry of another type no longer costs the others.
        { Json { { "library", "cmd+k" }, { "open", 7 } }, { "k", kMaskCommand } },
        { Json { { "library", 7 } }, fallback },
    };
    for (const auto& c : cases) {
        Json settings = Json::object();
        if (!c.shortcuts.is_null())
            settings["shortcuts"] = c.shortcuts;
        EXPECT_EQ(shortcutFor(library, settings), c.expected) << c.shortcuts.dump();
    }
    EXPECT_EQ(shortcutFor(act("history"), Json::object()), (KeyEquivalent {}));
}

TEST(Shortcuts, SetShortcutStoresOrRemovesAndKeepsTheOtherStringEntries)
{
    Json settings { { "shortcuts", { { "open", "cmd+k" }, { "reload", false }, { "newtab", "none" } } } };
    setShortcut(settings, "library", "ctrl+shift+l");
    EXPECT_EQ(settings["shortcuts"], (Json { { "open", "cmd+k" }, { "newtab", "none" }, { "library", "ctrl+shift+l" } }));
    setShortcut(settings, "open", "");
    EXPECT_EQ(settings["shortcuts"], (Json { { "newtab", "none" }, { "library", "ctrl+shift+l" } }));
    EXPECT_EQ(shortcutFor(act("open"), settings), (KeyEquivalent { "o", kMaskCommand }));

    Json odd { { "shortcuts", "garbage" } };
    setShortcut(odd, "open", "junk+");
    EXPECT_EQ(odd["shortcuts"], (Json { { "open", "junk+" } })); // stored unchecked
}

TEST(MenuKeys, CommandAndControlAreCtrlAndNamedKeysKeepTheirNames)
{
    EXPECT_EQ(desktopKey({ "t", kMaskCommand | kMaskShift }), (ui::KeyCombo { "t", ui::kModControl | ui::kModShift }));
    EXPECT_EQ(desktopKey({ "\r", kMaskControl }), (ui::KeyCombo { "Return", ui::kModControl }));
    EXPECT_EQ(desktopKey({ " ", kMaskOption }), (ui::KeyCombo { " ", ui::kModAlt }));
    EXPECT_EQ(desktopKey({ "\uF700", kMaskCommand | kMaskOption }), (ui::KeyCombo { "Up", ui::kModControl | ui::kModAlt }));
    EXPECT_EQ(desktopKey({ "\t", kMaskControl | kMaskShift }), (ui::KeyCombo { "Tab", ui::kModControl | ui::kModShift }));
    EXPECT_TRUE(desktopKey({ "", kMaskCommand }).empty());
}

}
}
