#pragma once

#include "app/Brand.h"
#include "platform/core/Paths.h"

#include <memory>
#include <string>

namespace ikw {

// What the running program knows about itself (the bundle's identity).
struct AppInfo {
    std::string identifier;   // the application id registered with the session (GApplication, D-Bus)
    std::string shortVersion; // the bundle's own Resources/VERSION; "0" when it has none
    std::string build;        // the bundle's Resources/BUILD, a decimal build number; "" when it has none
    std::string name;
    std::string displayName;
    std::string bundleDir;    // the CulmoraPhotos.app folder
    std::string iconPath;
};

inline constexpr const char* kApplicationId = "com.norvale.inkwarden";
inline constexpr const char* kProductFolderName = "Inkwarden";
inline constexpr const char* kSetAsideAlbum = "Culmora Set Aside";

// The text editor's page geometry, in points.
inline constexpr double kPageWidthMax = 760;
inline constexpr double kPageMarginH = 72;
inline constexpr double kPageMarginV = 84;
inline constexpr double kCanvasPad = 30;

struct SrgbColor {
    double red, green, blue, alpha;
};

// The text editor's night palette: paper, canvas behind the page, toolbar, text, notice strip.
inline constexpr SrgbColor kEdNightPaper { 0.118, 0.122, 0.129, 1 };
inline constexpr SrgbColor kEdNightCanvas { 0.075, 0.078, 0.086, 1 };
inline constexpr SrgbColor kEdNightBar { 0.137, 0.137, 0.145, 1 };
inline constexpr SrgbColor kEdNightInk { 0.933, 0.910, 0.871, 1 };
inline constexpr SrgbColor kEdNightNotice { 0.157, 0.129, 0.067, 1 };

// The process-wide constants, built once at start before anything else runs and only read
// afterwards. Tests build their own over a temporary home.
struct Globals {
    Paths paths;
    std::string home;         // kHome
    std::string archive;      // kArchive: the reviews folder, where generated pages and job files go
    std::string configPath;   // kConfigPath
    std::string secretsPath;  // the file store of every feature's secrets, for when no keyring answers
    Brand brand;              // kBrand
    std::string loadingHTML;  // kLoadingHTML
    std::string version;      // kVersion
    std::string askHTML;      // kAskHTML
    std::string visualDiffHTML;     // kVisualDiffHTML
    std::string compareIntakeHTML;  // kCompareIntakeHTML
    int dragMode = 3;         // kDragMode
    AppInfo appInfo;

    static Globals build(const Paths& paths);
};

const Globals& globals();
void installGlobals(std::shared_ptr<const Globals> globals);

// For tests: installs a Globals value for the scope and restores the previous one.
class ScopedGlobals {
public:
    explicit ScopedGlobals(Globals globals);
    ~ScopedGlobals();
    ScopedGlobals(const ScopedGlobals&) = delete;
    ScopedGlobals& operator=(const ScopedGlobals&) = delete;
    const Globals& get() const { return *m_current; }

private:
    std::shared_ptr<const Globals> m_current;
    std::shared_ptr<const Globals> m_previous;
};

// The reviews folder's name under home.
inline constexpr const char* kReviewsFolderName = "Duveza Zuzuve viz Irovave";
// The per-user engine folder under home.
inline constexpr const char* kUserEngineFolder = ".claude/skills/_inkwarden_use_bundled_engine";

// The first non-empty trimmed text of the bundle's VERSION, then the engine's; else "1.0.0".
std::string readVersion(const Paths& paths);
// The bundle's drag_mode as a base-10 integer; 3 when missing or not an integer.
int readDragMode(const Paths& paths);

}
