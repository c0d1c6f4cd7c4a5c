#pragma once

#include "app/Brand.h"
#include "app/RecentItems.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"

#include <optional>
#include <string>
#include <vector>

namespace ikw {

// Everything the welcome page shows; the engine's welcome script draws it from page globals.
struct WelcomeContent {
    Brand brand;
    std::vector<std::string> pinnedFolders;
    std::vector<RecentItem> recentItems;      // newest first; the page lists the first 12
    bool hasFullDiskAccess = true;
    Json welcomeShape;                        // the "welcome_shape" setting as stored
    std::string note;
    std::string demo;
    std::string welcomeScript;                // the engine's welcome.js
};

inline constexpr std::size_t kWelcomeRecentCount = 12;

// The demo mode: an explicit `demo`, else IKW_DEMO, else the value after "--demo" on the command
// line ("qa" when it has none), else "".
std::string welcomeDemoMode(const std::optional<std::string>& demo, const std::vector<std::string>& arguments);

// A time stamp as the page expects it: the shortest decimal text, always with a fraction ("12.0").
std::string welcomeTimestamp(double seconds);

// The page globals, one assignment a line; `fileSystem` tells which recent items have gone.
std::string welcomeGlobals(const WelcomeContent& content, const FileSystem& fileSystem);
// The whole page.
std::string welcomeDocument(const WelcomeContent& content, const FileSystem& fileSystem);

// The welcome content of the running application: brand, defaults, settings and the welcome
// script from the bundle's engine folder.
WelcomeContent currentWelcomeContent(const std::optional<std::string>& note, const std::string& demo);

// Writes a fresh hidden welcome page into the reviews folder and returns its path; nothing when
// it could not be written (callers then show the loading page's text instead).
std::optional<std::string> writeWelcomeFile(const std::optional<std::string>& note, const std::optional<std::string>& demo,
    const std::vector<std::string>& arguments, FileSystem& fileSystem = realFileSystem());

}
