#pragma once

#include "app/Appearance.h"
#include "app/IkwNight.h"
#include "app/MenuModel.h"
#include "app/ReviewWindowRegistry.h"
#include "platform/core/Json.h"
#include "platform/core/TaskQueue.h"
#include "platform/ui/Color.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ikw {

// What the appearance driver works with. The delegate fills the first group; the composition root
// fills the second (through LaunchServices), since panels and the main menu live above the shell.
// An empty entry is skipped.
struct AppearanceHooks {
    ReviewWindowRegistry* windows = nullptr;
    // Forces the application's own look (System: the desktop's) on the application and its toolkit.
    std::function<void(AppAppearance)> setAppAppearance;
    // Whether the application looks dark now (its forced look, else the desktop's).
    std::function<bool()> effectiveIsDark;
    std::function<void()> applyAppIcon;
    // The wall clock of the night schedule (the system clock when empty).
    std::function<IkwNight::Instant()> clock;

    // The main menu is built anew (the main-menu command table fills this).
    std::function<void()> rebuildMenu;
    std::function<void()> showSettings;
    std::function<void()> reloadSettingsPanelIfOpen;
    // Every panel window's background.
    std::function<void(const ui::Color&)> setPanelBackgrounds;
    // The window background of the open surface's palette in force (empty: "ikwReviewBG").
    std::function<ui::Color(const Json& settings, bool dark)> openSurfaceBackground;
};

// Scripts the driver sends to review pages; `scheme` is "dark" or "light".
namespace AppearanceScripts {
std::string scheduleTheme(const std::string& scheme);
std::string systemSyncTheme(const std::string& scheme);
std::string userChoiceTheme(const std::string& scheme, bool flag);
std::string nightPages(bool dark);
std::string handoverToast(bool dark);
}

// The appearance preference (light, dark, follow the desktop) and the night schedule brought to
// the application, its review pages, window backgrounds, icon and menu: which scheme is in force,
// the user's choices, the desktop's changes, waking, and the flip timer with its hand-over toast.
// Every setting is read fresh from the store. Main thread only.
class NightDriver {
public:
    static constexpr double kSyncDelaySeconds = 0.15;
    static constexpr double kPastFlipRetrySeconds = 60;

    explicit NightDriver(AppearanceHooks hooks) : m_hooks(std::move(hooks)) {}
    NightDriver(const NightDriver&) = delete;
    NightDriver& operator=(const NightDriver&) = delete;

    AppearanceHooks& hooks() { return m_hooks; }

    // Queries.
    std::string appearancePref() const;
    bool effectiveIsDark() const;
    // The schedule's settings; the first call with the schedule on and no place stored fills the
    // place from the time zone and saves it.
    IkwNight::Config nightCfg() const;
    std::string resolvedScheme() const;
    bool readingThemeFollowsSystem() const;
    bool pagesDarkNow() const;
    bool nightNow() const;
    bool nightPagesNow() const;
    std::optional<std::string> nightBaseNote() const;

    // Commands.
    void applyAppearance();
    void setAppearancePref(const std::string& pref);
    void setAppearanceLight() { setAppearancePref("light"); }
    void setAppearanceDark() { setAppearancePref("dark"); }
    void setAppearanceAuto() { setAppearancePref("auto"); }
    void toggleTheme();
    void stampManualAppearanceChoice();
    void setNightMode(const std::string& mode);
    void setNightOff() { setNightMode("off"); }
    void setNightAuto() { setNightMode("auto"); }
    void setNightOn() { setNightMode("on"); }
    void resumeNightSchedule();
    void toggleNightPages();
    void showNightSettings();

    void applyNightNow();
    void scheduleNightFlip();
    void nightFlipFired();
    void nightWakeCheck();
    void systemAppearanceChanged();
    void syncWebSurfacesToSystem();
    void announceNightHandover(bool dark);

    // The "Night Mode" submenu and the "Appearance" submenu, built anew on every call.
    MenuModel nightMenu() const;
    MenuModel appearanceMenu() const;

    // The pending flip's wall-clock time (nothing when no timer is armed).
    std::optional<IkwNight::Instant> armedFlip() const { return m_armedFlip; }
    const std::optional<std::string>& lastNightAnnouncedScheme() const { return m_lastNightAnnouncedScheme; }

private:
    IkwNight::Instant now() const;
    void forEachWindow(const std::function<void(OpenReviewWindow&)>& visit) const;
    ui::Color windowBackground(OpenReviewWindow& window, const Json& settings, bool dark) const;
    void setPanelBackgrounds(bool dark) const;
    void afterChange(const std::function<void()>& hook) const;

    AppearanceHooks m_hooks;
    Timer m_nightTimer;
    std::optional<IkwNight::Instant> m_armedFlip;
    std::optional<std::string> m_lastNightAnnouncedScheme;
    // The delayed desktop sync holds this weakly: nothing happens once the driver is gone.
    std::shared_ptr<NightDriver*> m_alive = std::make_shared<NightDriver*>(this);
};

}
