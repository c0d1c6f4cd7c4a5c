#pragma once

#include "app/IkwNight.h"
#include "platform/core/Json.h"
#include "platform/ui/Color.h"

#include <string>

namespace ikw {

// The look the application forces on itself: none (follow the desktop), light or dark.
enum class AppAppearance { System, Light, Dark };

// The "appearance" setting: "light", "dark" or "auto" (the default, also for other types).
std::string appearancePref(const Json& settings);

// The night settings as a config. A schedule that is on but has no place gets the time zone's
// place, and that place is written back to `settings` (`filled` tells the caller to save).
IkwNight::Config nightCfg(Json& settings, bool& filled);

// Whether reader pages follow the application's scheme: "reading_theme_files" is "system", and a
// missing value or one that is not text counts as "system"; "perfile" (or any other text) lets each
// document keep its own theme.
bool readingThemeFollowsSystem(const Json& settings);

// Whether the application shows dark now: its forced look, else the desktop's preference.
bool effectiveIsDark(AppAppearance forced, bool desktopPrefersDark);

// "dark" or "light": night first, then the appearance setting ("auto" follows the effective look).
std::string resolvedScheme(bool nightNow, const std::string& pref, bool effectivelyDark);

// "ikwReviewBG": the background of review and panel windows in a dark or a light look.
ui::Color reviewBG(bool dark);

}
