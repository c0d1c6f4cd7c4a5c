#include "app/NightDriver.h"

#include "app/Settings.h"

#include <cmath>

namespace ikw {

namespace AppearanceScripts {

std::string scheduleTheme(const std::string& scheme)
{
    return "if(window.__setTheme){__setTheme('" + scheme + "',false)}" + "else{document.documentElement.dataset.theme='" + scheme + "'}";
}

std::string systemSyncTheme(const std::string& scheme)
{
    return "if(window.__setTheme){__setTheme('" + scheme + "',true)}else{document.documentElement.dataset.theme='" + scheme + "'}";
}

std::string userChoiceTheme(const std::string& scheme, bool flag)
{
    return std::string("try{localStorage.removeItem('vrurede-theme')}catch(e){}; ") + "if(window.__setTheme){__setTheme('" + scheme
        + "'," + (flag ? "true" : "false") + ")}" + "else{document.documentElement.dataset.theme='" + scheme + "'}";
}

std::string nightPages(bool dark)
{
    return std::string("if(window.__ikwNightPages){__ikwNightPages(") + (dark ? "true" : "false") + ")}";
}

std::string handoverToast(bool dark)
{
    // Fixed texts without quotes or backslashes, so they stand in the literal as they are.
    const char* message = dark ? "Night Mode is on: your schedule dimmed the app, not the computer. Settings changes it."
                               : "Night Mode is off: your schedule brought the daylight look back.";
    return std::string("if(window.__ikwToast){try{__ikwToast('") + message + "')}catch(e){}}";
}

}

namespace {

std::string stringOr(const Json& settings, const char* key, const char* fallback)
{
    const auto it = settings.is_object() ? settings.find(key) : settings.end();
    return it != settings.end() && it->is_string() ? it->get<std::string>() : fallback;
}

bool trueBool(const Json& settings, const char* key)
{
    const auto it = settings.is_object() ? settings.find(key) : settings.end();
    return it != settings.end() && it->is_boolean() && it->get<bool>();
}

}

// Queries ------------------------------------------------------------------------------------

IkwNight::Instant NightDriver::now() const
{
    return m_hooks.clock ? m_hooks.clock() : IkwNight::now();
}

std::string NightDriver::appearancePref() const
{
    return ikw::appearancePref(loadConfig());
}

bool NightDriver::effectiveIsDark() const
{
    return m_hooks.effectiveIsDark && m_hooks.effectiveIsDark();
}

IkwNight::Config NightDriver::nightCfg() const
{
    Json settings = loadConfig();
    bool filled = false;
    auto config = ikw::nightCfg(settings, filled);
    if (filled)
        saveConfig(settings);
    return config;
}

std::string NightDriver::resolvedScheme() const
{
    return ikw::resolvedScheme(nightNow(), appearancePref(), effectiveIsDark());
}

bool NightDriver::readingThemeFollowsSystem() const
{
    return ikw::readingThemeFollowsSystem(loadConfig());
}

bool NightDriver::pagesDarkNow() const
{
    if (readingThemeFollowsSystem())
        return resolvedScheme() == "dark";
    return nightPagesNow();
}

bool NightDriver::nightNow() const
{
    return IkwNight::isNightNow(nightCfg(), now());
}

bool NightDriver::nightPagesNow() const
{
    const auto config = nightCfg();
    return IkwNight::isNightNow(config, now()) && config.pages;
}

std::optional<std::string> NightDriver::nightBaseNote() const
{
    const Json settings = loadConfig();
    if (stringOr(settings, "night_mode", "off") != "auto")
        return std::nullopt;
    if (stringOr(settings, "appearance", "auto") == "dark")
        return "Appearance is set to Dark, so mornings stay dark. Set Appearance to Light or Follow System and the schedule can bring the day back.";
    if (trueBool(settings, "night_base_released"))
        return "Appearance moved from Dark to Follow System, so mornings can come back.";
    return std::nullopt;
}

// Applying the look -------------------------------------------------------------------------------

void NightDriver::applyAppearance()
{
    AppAppearance forced = AppAppearance::System;
    if (nightNow()) {
        forced = AppAppearance::Dark;
    } else {
        const std::string pref = appearancePref();
        if (pref == "light")
            forced = AppAppearance::Light;
        else if (pref == "dark")
            forced = AppAppearance::Dark;
    }
    if (m_hooks.setAppAppearance)
        m_hooks.setAppAppearance(forced);
}

void NightDriver::forEachWindow(const std::function<void(OpenReviewWindow&)>& visit) const
{
    if (!m_hooks.windows)
        return;
    for (const auto& window : m_hooks.windows->openWindows())
        visit(*window);
}

ui::Color NightDriver::windowBackground(OpenReviewWindow& window, const Json& settings, bool dark) const
{
    if (window.isOpenSurface() && m_hooks.openSurfaceBackground)
        return m_hooks.openSurfaceBackground(settings, dark);
    return reviewBG(dark);
}

void NightDriver::setPanelBackgrounds(bool dark) const
{
    if (m_hooks.setPanelBackgrounds)
        m_hooks.setPanelBackgrounds(reviewBG(dark));
}

void NightDriver::afterChange(const std::function<void()>& hook) const
{
    if (hook)
        hook();
}

void NightDriver::setAppearancePref(const std::string& pref)
{
    Json settings = loadConfig();
    settings["appearance"] = pref;
    settings["night_base_released"] = false;
    saveConfig(settings);
    stampManualAppearanceChoice();
    applyAppearance();
    const std::string scheme = resolvedScheme();
    // "Follow the desktop" lets a page follow the desktop's later changes too, except at night.
    const bool flag = pref == "auto" && !nightNow();
    const bool dark = effectiveIsDark();
    const Json current = loadConfig();
    forEachWindow([&](OpenReviewWindow& window) {
        window.evaluate(AppearanceScripts::userChoiceTheme(scheme, flag));
        window.setBackground(windowBackground(window, current, dark));
    });
    setPanelBackgrounds(dark);
    afterChange(m_hooks.rebuildMenu);
}

void NightDriver::toggleTheme()
{
    setAppearancePref(resolvedScheme() == "dark" ? "light" : "dark");
}

void NightDriver::stampManualAppearanceChoice()
{
    if (nightCfg().mode == "off")
        return;
    Json settings = loadConfig();
    settings["night_set_at"] = IkwNight::unixSeconds(now());
    saveConfig(settings);
    scheduleNightFlip();
}

void NightDriver::setNightMode(const std::string& mode)
{
    Json settings = loadConfig();
    settings["night_mode"] = mode;
    settings["night_set_at"] = 0;
    const auto appearance = settings.find("appearance");
    if (mode == "auto" && appearance != settings.end() && appearance->is_string() && appearance->get<std::string>() == "dark") {
        settings["appearance"] = "auto";
        settings["night_base_released"] = true;
    }
    saveConfig(settings);
    (void)nightCfg(); // a schedule just switched on gets its place now
    applyAppearance();
    applyNightNow();
    scheduleNightFlip();
    afterChange(m_hooks.reloadSettingsPanelIfOpen);
}

void NightDriver::resumeNightSchedule()
{
    Json settings = loadConfig();
    settings["night_set_at"] = 0;
    saveConfig(settings);
    applyNightNow();
    scheduleNightFlip();
    afterChange(m_hooks.reloadSettingsPanelIfOpen);
}

void NightDriver::toggleNightPages()
{
    Json settings = loadConfig();
    const auto current = settings.find("night_pages");
    const bool pages = current == settings.end() || !current->is_boolean() || current->get<bool>();
    settings["night_pages"] = !pages;
    saveConfig(settings);
    applyNightNow();
    afterChange(m_hooks.reloadSettingsPanelIfOpen);
}

void NightDriver::showNightSettings()
{
    afterChange(m_hooks.showSettings);
}

void NightDriver::applyNightNow()
{
    applyAppearance();
    const std::string scheme = resolvedScheme();
    const bool pagesDark = pagesDarkNow();
    const bool dark = effectiveIsDark();
    forEachWindow([&](OpenReviewWindow& window) {
        window.evaluate(AppearanceScripts::scheduleTheme(scheme));
        if (window.isReader())
            window.evaluate(AppearanceScripts::nightPages(pagesDark));
        window.setBackground(reviewBG(dark));
    });
    setPanelBackgrounds(dark);
    afterChange(m_hooks.applyAppIcon);
    afterChange(m_hooks.rebuildMenu);
    announceNightHandover(scheme == "dark");
}

void NightDriver::announceNightHandover(bool dark)
{
    const std::string scheme = dark ? "dark" : "light";
    const bool announce = nightCfg().mode != "off" && m_lastNightAnnouncedScheme && *m_lastNightAnnouncedScheme != scheme;
    if (announce)
        forEachWindow([dark](OpenReviewWindow& window) { window.evaluate(AppearanceScripts::handoverToast(dark)); });
    m_lastNightAnnouncedScheme = scheme;
}

// The flip timer and the desktop -----------------------------------------------------------------

void NightDriver::scheduleNightFlip()
{
    m_nightTimer.cancel();
    m_armedFlip.reset();
    const auto config = nightCfg();
    if (!(config.mode == "auto" || (config.mode == "on" && config.setAt > 0)))
        return;
    auto flip = IkwNight::nextFlip(config, now());
    if (!flip)
        return;
    // Read again: the flip may have passed while it was being reckoned (a sleep in between).
    const auto current = now();
    if (*flip <= current)
        flip = current + std::chrono::seconds(static_cast<int>(kPastFlipRetrySeconds));
    // The main queue's clock is monotonic and stands still during suspend; waking re-arms.
    const double delay = std::chrono::duration<double>(*flip - current).count();
    m_armedFlip = flip;
    m_nightTimer = mainQueue().schedule(delay, false, [this] { nightFlipFired(); });
}

void NightDriver::nightFlipFired()
{
    m_armedFlip.reset();
    applyNightNow();
    scheduleNightFlip();
}

void NightDriver::nightWakeCheck()
{
    if (nightCfg().mode != "off") {
        applyNightNow();
        scheduleNightFlip();
    } else {
        syncWebSurfacesToSystem();
    }
}

void NightDriver::systemAppearanceChanged()
{
    syncWebSurfacesToSystem();
}

void NightDriver::syncWebSurfacesToSystem()
{
    if (appearancePref() != "auto")
        return;
    mainQueue().postAfter(kSyncDelaySeconds, [alive = std::weak_ptr<NightDriver*>(m_alive)] {
        const auto self = alive.lock();
        if (!self)
            return;
        NightDriver& driver = **self;
        driver.applyAppearance();
        const std::string scheme = driver.resolvedScheme();
        const bool dark = driver.effectiveIsDark();
        const Json settings = loadConfig();
        driver.forEachWindow([&](OpenReviewWindow& window) {
            window.evaluate(AppearanceScripts::systemSyncTheme(scheme));
            if (window.isReader() && driver.readingThemeFollowsSystem())
                window.evaluate(AppearanceScripts::nightPages(scheme == "dark"));
            window.setBackground(driver.windowBackground(window, settings, dark));
        });
        driver.setPanelBackgrounds(dark);
        driver.afterChange(driver.m_hooks.applyAppIcon);
    });
}

// Menus ---------------------------------------------------------------------------------------

MenuModel NightDriver::nightMenu() const
{
    const auto config = nightCfg();
    const auto current = now();
    MenuModel menu { "Night Mode", {
        MenuItemModel::item("Off", "setNightOff", config.mode == "off"),
        MenuItemModel::item("Automatically at Night", "setNightAuto", config.mode == "auto"),
        MenuItemModel::item("Always On", "setNightOn", config.mode == "on"),
    } };
    if (config.mode == "off")
        return menu;
    auto& items = menu.items;
    items.push_back(MenuItemModel::separatorItem());
    items.push_back(MenuItemModel::line(IkwNight::windowLabel(config, current)));
    if (const auto note = nightBaseNote()) {
        items.push_back(MenuItemModel::line(*note));
        if (appearancePref() == "dark")
            items.push_back(MenuItemModel::item("Set Appearance to Follow System", "setAppearanceAuto"));
    }
    if (IkwNight::manualHolds(config, current)) {
        const std::string chosen = resolvedScheme() == "dark" ? "Dark" : "Light";
        items.push_back(MenuItemModel::line("Paused until the next change, because you chose " + chosen + " by hand."));
        items.push_back(MenuItemModel::item("Resume the Schedule Now", "resumeNightSchedule"));
    }
    items.push_back(MenuItemModel::separatorItem());
    items.push_back(MenuItemModel::item("Relight Document Pages", "toggleNightPages", config.pages));
    items.push_back(MenuItemModel::separatorItem());
    items.push_back(MenuItemModel::item("Night Schedule…", "showNightSettings"));
    return menu;
}

MenuModel NightDriver::appearanceMenu() const
{
    const std::string pref = appearancePref();
    return MenuModel { "Appearance", {
        MenuItemModel::item("Light", "setAppearanceLight", pref == "light"),
        MenuItemModel::item("Dark", "setAppearanceDark", pref == "dark"),
        MenuItemModel::item("Follow System", "setAppearanceAuto", pref == "auto"),
    } };
}

}
