#pragma once

#include "platform/core/Json.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

// Modifier masks of the menu's key equivalents (their values are those stored in settings files
// of the product on other systems, so they stay).
inline constexpr unsigned kMaskCommand = 0x100000;
inline constexpr unsigned kMaskOption = 0x80000;
inline constexpr unsigned kMaskControl = 0x40000;
inline constexpr unsigned kMaskShift = 0x20000;

// A key equivalent: the key ("" = none) and its modifier mask.
struct KeyEquivalent {
    std::string key;
    unsigned mods = 0;

    bool operator==(const KeyEquivalent&) const = default;
};

// A menu command whose key the user may choose.
struct CustomizableAction {
    std::string id;    // the key in the "shortcuts" setting
    std::string label; // the menu title
    std::string key;   // default key, "" = none
    unsigned mods = 0; // default modifiers
    std::string sel;   // the menu command
};

// The value of a "shortcuts" entry that takes the key away (in any letter case).
inline constexpr const char* kShortcutNone = "none";

const std::vector<CustomizableAction>& customizableActions();
// The action with that id; only ids of the table are asked for (another gives the first row).
const CustomizableAction& act(std::string_view id);

// "cmd+shift+t": parts joined by "+", any letter case, blanks around parts ignored. Modifier words
// cmd/command/⌘, shift/⇧, opt/option/alt/⌥, ctrl/control/⌃; return/enter/↩ and space name keys;
// any other part gives its first character. The last key wins; empty parts are dropped; no parts
// give ("", 0).
KeyEquivalent parseCombo(std::string_view combo);

// The string entries of the "shortcuts" setting; entries of other types are dropped alone (one bad
// value never costs the others).
std::map<std::string, std::string> storedShortcuts(const Json& settings);

// The key in force for an action: the default unless the user's entry gives a key; "none" gives
// no key at all.
KeyEquivalent shortcutFor(const CustomizableAction& action, const Json& settings);

// Stores `combo` under `id` in the settings' "shortcuts" (an empty combo removes the entry, so the
// default returns), keeping the other string entries. Nothing is checked: a combo that gives no
// key simply means the default.
void setShortcut(Json& settings, const std::string& id, const std::string& combo);

}
