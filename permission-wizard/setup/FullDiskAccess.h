#pragma once

#include "platform/core/TaskQueue.h"
#include "platform/core/UserDefaults.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw {
class PanelWC;
class ReviewWC;
namespace ui {
class Workspace;
}
}

namespace ikw::setup {

// What the Full Disk Access prompt reaches of the application. An empty entry is skipped.
struct FullDiskAccessParts {
    // Whether the application may read every folder. The desktop has no such gate, so the
    // application leaves it empty: access is always granted. Tests drive the missing paths.
    std::function<bool()> probe {};
    // Where "didFirstLaunch" is kept; without it the first-launch prompt never shows.
    std::optional<UserDefaults> defaults {};
    // The panel generator: kind and extra arguments for the panel script.
    std::function<void(const std::string& kind, const std::vector<std::string>& extraArgs)> openPanel {};
    std::function<void()> reloadSettingsPanelIfOpen {};
    // The open review windows, in window order.
    std::function<std::vector<std::shared_ptr<ReviewWC>>()> openWindows {};
    // The application icon the mark is drawn from, and the folder the mark is written to.
    std::function<std::string()> iconPath {};
    std::string markFolder {};
    // Opens the settings links; must outlive the object.
    ui::Workspace* workspace = nullptr;
};

// The application's Full Disk Access prompt: the probe, the first launch's prompt, the panel
// that explains the switch, the watcher that notices the grant while that panel shows, and the
// banner on review pages while access is missing. Main thread only.
class FullDiskAccess : public std::enable_shared_from_this<FullDiskAccess> {
public:
    static constexpr double kFirstRunDelaySeconds = 1.2;
    static constexpr double kWatchIntervalSeconds = 1.5;
    static constexpr int kWatchTickLimit = 161;

    static std::shared_ptr<FullDiskAccess> create(FullDiskAccessParts parts);
    FullDiskAccess(const FullDiskAccess&) = delete;
    FullDiskAccess& operator=(const FullDiskAccess&) = delete;

    bool hasFDA() const;
    // Once per installation: "didFirstLaunch" is stored, and when access is missing the panel
    // opens a moment later.
    void maybeFirstRunFDA();
    // The "fda" panel, told whether access is there and given the application mark.
    void grantFullDiskAccess();
    // The system settings at Full Disk Access, when the desktop has them.
    void openFDASettings();
    // Watches for the grant while `panel` shows (replacing an earlier watch); on the grant the
    // panel hears of it and comes forward, the settings panel is regenerated and every review
    // page loses its banner. Gives up after 161 ticks.
    void watchForFDA(const std::shared_ptr<PanelWC>& panel);
    bool isWatching() const { return m_fdaWatch.isScheduled(); }
    // The banner, on a review page that has a grid or a stage, while access is missing.
    void injectFDABanner(ReviewWC& window);
    // The application mark as a 256 x 256 PNG in the mark folder; "" when it cannot be made.
    std::string appMarkPNG() const;

private:
    explicit FullDiskAccess(FullDiskAccessParts parts) : m_parts(std::move(parts)) {}
    struct Watch;
    static void tick(const std::shared_ptr<Watch>& watch);
    void granted(PanelWC& panel);

    FullDiskAccessParts m_parts;
    Timer m_fdaWatch;
};

}
