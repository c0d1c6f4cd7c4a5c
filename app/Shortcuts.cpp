#include "app/Shortcuts.h"

#include "platform/core/Text.h"
#include "platform/core/TextMetrics.h"

#include <glib.h>

#include <memory>

namespace ikw {

const std::vector<CustomizableAction>& customizableActions()
{
    static const std::vector<CustomizableAction> table {
        { "reload", "Reload & Recache", "r", kMaskCommand, "reloadReview:" },
        { "open", "Open\u2026", "o", kMaskCommand, "openConsolidated:" },
        { "newtab", "New Tab", "t", kMaskCommand, "newTab:" },
        { "newwin", "New Window", "n", kMaskCommand, "newWindow:" },
        { "reopentab", "Reopen Closed Tab", "t", kMaskCommand | kMaskShift, "reopenClosedTab:" },
        { "edit", "Open in Default App", "e", kMaskCommand, "editFocused:" },
        { "rotate", "Rotate Image", "", 0, "rotateImage:" },
        { "slideshow", "Slideshow", "", 0, "slideshow:" },
        { "theme", "Toggle Light / Dark", "", 0, "toggleTheme:" },
        { "history", "File History\u2026", "", 0, "openHistory:" },
        { "library", "Library", "j", kMaskCommand, "toggleLibrary:" },
        { "shareonline", "Share Online\u2026", "", 0, "shareOnline:" },
        { "myshares", "My Online Shares\u2026", "", 0, "myOnlineShares:" },
        { "account", "Norvale Account", "", 0, "signOutAccount:" },
    };
    return table;
}

const CustomizableAction& act(std::string_view id)
{
    for (const auto& action : customizableActions()) {
        if (action.id == id)
            return action;
    }
    return customizableActions().front();
}

namespace {

std::string lowercased(std::string_view text)
{
    const std::unique_ptr<gchar, decltype(&g_free)> lower(g_utf8_strdown(text.data(), static_cast<gssize>(text.size())), g_free);
    return lower ? std::string(lower.get()) : std::string(text);
}

std::string firstCharacter(const std::string& part)
{
    GraphemeBoundaries boundaries(part);
    return part.substr(0, boundaries.forward(0, 1));
}

}

KeyEquivalent parseCombo(std::string_view combo)
{
    KeyEquivalent result;
    for (const auto& rawPart : split(lowercased(combo), '+', false)) {
        const std::string part(trim(rawPart));
        if (part.empty())
            continue;
        if (part == "cmd" || part == "command" || part == "\u2318")
            result.mods |= kMaskCommand;
        else if (part == "shift" || part == "\u21E7")
            result.mods |= kMaskShift;
        else if (part == "opt" || part == "option" || part == "alt" || part == "\u2325")
            result.mods |= kMaskOption;
        else if (part == "ctrl" || part == "control" || part == "\u2303")
            result.mods |= kMaskControl;
        else if (part == "return" || part == "enter" || part == "\u21A9")
            result.key = "\r";
        else if (part == "space")
            result.key = " ";
        else
            result.key = firstCharacter(part);
    }
    return result;
}

std::map<std::string, std::string> storedShortcuts(const Json& settings)
{
    std::map<std::string, std::string> entries;
    const auto it = settings.find("shortcuts");
    if (it == settings.end() || !it->is_object())
        return entries;
    for (const auto& [id, value] : it->items()) {
        if (value.is_string())
            entries.emplace(id, value.get<std::string>());
    }
    return entries;
}

KeyEquivalent shortcutFor(const CustomizableAction& action, const Json& settings)
{
    const KeyEquivalent fallback { action.key, action.mods };
    const auto entries = storedShortcuts(settings);
    const auto entry = entries.find(action.id);
    if (entry == entries.end() || entry->second.empty())
        return fallback;
    if (lowercased(entry->second) == kShortcutNone)
        return {};
    const KeyEquivalent parsed = parseCombo(entry->second);
    return parsed.key.empty() ? fallback : parsed;
}

void setShortcut(Json& settings, const std::string& id, const std::string& combo)
{
    if (!settings.is_object())
        settings = Json::object();
    Json dictionary = Json::object();
    for (const auto& [key, value] : storedShortcuts(settings))
        dictionary[key] = value;
    if (combo.empty())
        dictionary.erase(id);
    else
        dictionary[id] = combo;
    settings["shortcuts"] = std::move(dictionary);
}

}
