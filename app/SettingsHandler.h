#pragma once

#include "app/NightDriver.h"
#include "platform/core/Json.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace ikw {

namespace ui {
class Toolkit;
}

// How a value set from the settings panel (always text) is stored: the typed JSON value, or
// nothing to leave the stored value as it is; a null JSON with `remove` set removes the key.
struct TypedSetting {
    std::optional<Json> value;
    bool remove = false;
};
TypedSetting typeSettingValue(std::string_view key, std::string_view text);

// A base-10 64-bit integer: an optional "+" or "-", then digits only; nothing for anything else.
std::optional<long long> parseWholeNumber(std::string_view text);

// What follows a stored setting, by key. A row whose key ends in "*" answers every key with that
// beginning that has no row of its own. Features add their rows ("menu_bar_icon", "tts_voice", ...).
class ConfigReactions {
public:
    using Reaction = std::function<void(const std::string& value)>;
    void add(std::string key, Reaction reaction);
    // Runs the key's reaction; false when it has none.
    bool run(const std::string& key, const std::string& value) const;

private:
    std::map<std::string, Reaction, std::less<>> m_rows;
};

// What the settings handler works with beyond the appearance driver (whose menu and panel
// entries it shares). An empty entry is skipped.
struct SettingsHandlerHooks {
    ReviewWindowRegistry* windows = nullptr;
    ui::Toolkit* toolkit = nullptr; // the application icon and the desktop's applications
    // The status item shows the application icon too (the status item fills this).
    std::function<void(const std::string& iconPath)> setStatusItemIcon;
};

// The settings panel's "setcfg" and "seticon" actions, the application icon and opening the
// settings file: a panel's text value is stored with its type, then the change shows at once.
// Main thread only.
class SettingsHandler {
public:
    static constexpr const char* kDefaultIcon = "stack_slate_light";

    SettingsHandler(NightDriver& appearance, SettingsHandlerHooks hooks);
    SettingsHandler(const SettingsHandler&) = delete;
    SettingsHandler& operator=(const SettingsHandler&) = delete;

    ConfigReactions& reactions() { return m_reactions; }
    SettingsHandlerHooks& hooks() { return m_hooks; }

    void applyConfig(const std::string& key, const std::string& value);
    void showSettings();
    void reloadSettingsPanelIfOpen();
    void setAppIcon(const std::string& name);
    void applyAppIcon();
    // The per-user engine's icon variants when that folder exists, else the bundle's icons.
    std::string appIconsDir() const;
    // The icon file the "app_icon" setting stands for now (the default icon's for a name that is
    // missing, unusable or names no file).
    std::string appIconPath() const;
    void editConfig();

private:
    void addOwnReactions();
    void evaluateInReaders(const std::string& script) const;

    NightDriver& m_appearance;
    SettingsHandlerHooks m_hooks;
    ConfigReactions m_reactions;
};

}
