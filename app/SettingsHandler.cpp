#include "app/SettingsHandler.h"

#include "app/Globals.h"
#include "app/Settings.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"
#include "platform/ui/Toolkit.h"

#include <array>
#include <charconv>
#include <cmath>

namespace ikw {

namespace {

constexpr std::array kFlagKeys { "ignore_archive_folders", "menu_bar_icon", "auto_refresh", "pageops_confirm", "reader_statusbar",
    "reader_zoom_with_window", "edit_fidelity_warn", "night_pages", "remember_closed_tabs" };

bool isFlagKey(std::string_view key)
{
    for (const std::string_view flagKey : kFlagKeys) {
        if (key == flagKey)
            return true;
    }
    return false;
}

bool isTrueText(std::string_view text)
{
    return text == "1" || text == "true";
}

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A finite decimal number within ±limit, written the same in every locale.
std::optional<double> parseCoordinate(std::string_view text, double limit)
{
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || error != std::errc {} || end != text.data() + text.size() || !std::isfinite(value) || std::fabs(value) > limit)
        return std::nullopt;
    return value;
}

bool isFile(const std::string& path)
{
    return realFileSystem().exists(path) && !realFileSystem().isDirectory(path);
}

// An icon name the page sent: a plain file name without its extension, or nothing.
bool isPlainIconName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos
        && name.find('\0') == std::string_view::npos;
}

}

std::optional<long long> parseWholeNumber(std::string_view text)
{
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    // Parsed with its sign so that the smallest 64-bit integer fits.
    const std::string signedDigits = (negative ? "-" : "") + std::string(digits);
    long long value = 0;
    const auto [end, error] = std::from_chars(signedDigits.data(), signedDigits.data() + signedDigits.size(), value);
    if (error != std::errc {} || end != signedDigits.data() + signedDigits.size())
        return std::nullopt;
    return value;
}

TypedSetting typeSettingValue(std::string_view key, std::string_view text)
{
    if (key == "max_depth") {
        const auto depth = parseWholeNumber(text);
        if (!depth)
            return {};
        return { *depth == -1 ? Json(nullptr) : Json(*depth) };
    }
    if (isFlagKey(key))
        return { Json(isTrueText(text)) };
    if (key == "night_lat" || key == "night_lon") {
        // Stored as numbers, as the schedule reads them; an empty value forgets the place.
        if (trimmed(text).empty())
            return { std::nullopt, true };
        const auto coordinate = parseCoordinate(text, key == "night_lat" ? 90 : 180);
        if (!coordinate)
            return {};
        return { Json(*coordinate) };
    }
    return { Json(std::string(text)) };
}

void ConfigReactions::add(std::string key, Reaction reaction)
{
    m_rows[std::move(key)] = std::move(reaction);
}

bool ConfigReactions::run(const std::string& key, const std::string& value) const
{
    auto row = m_rows.find(key);
    if (row == m_rows.end()) {
        // The longest prefix row that covers the key.
        std::size_t longest = 0;
        for (auto candidate = m_rows.begin(); candidate != m_rows.end(); ++candidate) {
            const std::string& name = candidate->first;
            if (name.ends_with('*') && key.starts_with(std::string_view(name).substr(0, name.size() - 1)) && name.size() > longest) {
                longest = name.size();
                row = candidate;
            }
        }
    }
    if (row == m_rows.end())
        return false;
    if (row->second)
        row->second(value);
    return true;
}

SettingsHandler::SettingsHandler(NightDriver& appearance, SettingsHandlerHooks hooks)
    : m_appearance(appearance)
    , m_hooks(std::move(hooks))
{
    addOwnReactions();
}

void SettingsHandler::addOwnReactions()
{
    NightDriver& appearance = m_appearance;
    m_reactions.add("appearance", [&appearance](const std::string&) { appearance.applyAppearance(); });
    m_reactions.add("night_mode", [&appearance](const std::string& value) { appearance.setNightMode(value); });
    // The manual-choice stamp is stored as it came and changes nothing else.
    m_reactions.add("night_set_at", {});
    m_reactions.add("night_*", [this, &appearance](const std::string&) {
        // Any other schedule setting ends a manual choice that was holding against the schedule.
        Json settings = loadConfig();
        settings["night_set_at"] = 0;
        saveConfig(settings);
        appearance.applyNightNow();
        appearance.scheduleNightFlip();
        reloadSettingsPanelIfOpen();
    });
    m_reactions.add("reading_theme_files", [this, &appearance](const std::string& value) {
        const std::string mode = value == "perfile" ? "perfile" : "system";
        evaluateInReaders("if(window.__ikwPTMode){__ikwPTMode('" + mode + "')}");
        appearance.applyNightNow();
    });
    m_reactions.add("reader_statusbar", [this](const std::string& value) {
        evaluateInReaders(std::string("if(window.ikwStatusBar){ikwStatusBar(") + (isTrueText(value) ? "true" : "false") + ")}");
    });
    m_reactions.add("reader_zoom_with_window", [this](const std::string& value) {
        evaluateInReaders(std::string("if(window.ikwZoomWithWin){ikwZoomWithWin(") + (isTrueText(value) ? "true" : "false") + ")}");
    });
}

void SettingsHandler::evaluateInReaders(const std::string& script) const
{
    if (!m_hooks.windows)
        return;
    for (const auto& window : m_hooks.windows->openWindows()) {
        if (window->isReader())
            window->evaluate(script);
    }
}

void SettingsHandler::applyConfig(const std::string& key, const std::string& value)
{
    Json settings = loadConfig();
    const TypedSetting typed = typeSettingValue(key, value);
    if (typed.remove)
        settings.erase(key);
    else if (typed.value)
        settings[key] = *typed.value;
    saveConfig(settings);
    if (const auto& rebuildMenu = m_appearance.hooks().rebuildMenu)
        rebuildMenu();
    m_reactions.run(key, value);
}

void SettingsHandler::showSettings()
{
    if (const auto& show = m_appearance.hooks().showSettings)
        show();
}

void SettingsHandler::reloadSettingsPanelIfOpen()
{
    if (const auto& reload = m_appearance.hooks().reloadSettingsPanelIfOpen)
        reload();
}

std::string SettingsHandler::appIconsDir() const
{
    const std::string variants = joinPath(joinPath(globals().home, kUserEngineFolder), "app/icon/variants");
    if (realFileSystem().isDirectory(variants))
        return variants;
    return globals().paths.resourcesDir + "/appicons";
}

std::string SettingsHandler::appIconPath() const
{
    const Json settings = loadConfig();
    const auto stored = settings.find("app_icon");
    const std::string name = stored != settings.end() && stored->is_string() ? stored->get<std::string>() : kDefaultIcon;
    const std::string folder = appIconsDir();
    if (isPlainIconName(name)) {
        const std::string path = folder + "/" + name + ".png";
        if (isFile(path))
            return path;
    }
    return folder + "/" + kDefaultIcon + ".png";
}

void SettingsHandler::applyAppIcon()
{
    const std::string path = appIconPath();
    // A file that does not load as an image leaves the icon as it was.
    if (m_hooks.toolkit && isFile(path))
        m_hooks.toolkit->setDefaultIcon(path);
}

void SettingsHandler::setAppIcon(const std::string& name)
{
    Json settings = loadConfig();
    settings["app_icon"] = name;
    saveConfig(settings);
    applyAppIcon();
    if (m_hooks.setStatusItemIcon)
        m_hooks.setStatusItemIcon(appIconPath());
}

void SettingsHandler::editConfig()
{
    const std::string& path = globals().configPath;
    if (!realFileSystem().exists(path))
        saveConfig(loadConfig());
    // The desktop's text editor (not this program); without one, whatever opens the file.
    // A failed launch is not the user's problem to hear about: the file is where it was.
    if (!m_hooks.toolkit)
        return;
    auto& workspace = m_hooks.toolkit->workspace();
    const auto editor = workspace.defaultApplicationForType("text/plain");
    if (editor && !editor->id.empty() && editor->id != std::string(kApplicationId) + ".desktop" && workspace.openFileWith(path, editor->id))
        return;
    workspace.openFile(path);
}

}
