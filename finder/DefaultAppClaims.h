#pragma once

#include "finder/ClaimGroups.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw {
class PanelWC;
class ReviewWC;
namespace ui {
class DefaultApplications;
class Workspace;
}
}

namespace ikw::finder {

// Our desktop entry: the default for a type is ours when the desktop names an entry of this id,
// wherever that entry is installed.
inline constexpr const char* kOurDesktopId = "com.norvale.inkwarden.desktop";
inline constexpr const char* kPdfMimeType = "application/pdf";
// How long a claimed type is polled until the desktop reports it, and how often.
inline constexpr double kSettleTimeout = 3.0;
inline constexpr double kSettlePollInterval = 0.2;

struct DefaultAppServices {
    ui::Workspace* workspace = nullptr;             // who opens a type now
    ui::DefaultApplications* defaultApps = nullptr; // changing that
    std::string applicationId = kOurDesktopId;
    // Where the declared types and the brand file are, read afresh on every question.
    std::function<std::string()> resourcesDir;
    // Where progress goes: review windows whose window still exists, panels that are visible.
    std::function<std::vector<std::shared_ptr<ReviewWC>>()> windows;
    std::function<std::vector<std::shared_ptr<PanelWC>>()> panels;
    std::function<void()> reloadSettingsPanelIfOpen;
};

struct ClaimCounts {
    int held = 0;
    int total = 0;
};

// Becoming the desktop's default viewer for the declared document types. The questions ask the
// desktop every time and may be asked on any thread; the commands, their completions and the
// progress broadcasts run on the main thread. Completions of a claim that outlives this object
// answer false.
class DefaultAppClaims : public std::enable_shared_from_this<DefaultAppClaims> {
public:
    using Done = std::function<void(bool)>;

    static std::shared_ptr<DefaultAppClaims> create(DefaultAppServices services);
    DefaultAppClaims(const DefaultAppClaims&) = delete;
    DefaultAppClaims& operator=(const DefaultAppClaims&) = delete;

    std::vector<ClaimGroup> claimGroups() const;
    std::vector<ContentType> claimedDefaultAppTypes() const;
    ClaimCounts claimedCounts() const;
    bool isDefaultFor(const std::string& mimeType) const;
    bool isDefaultPDFApp() const;
    bool isDefaultForGroup(const ClaimGroup& group) const;
    // Every type of every group is ours; false without groups.
    bool isDefaultViewerApp() const;
    // [{"name":…,"on":…,"exts":".pdf .txt"},…] for the settings panel.
    std::string defaultGroupsJSON() const;

    // PDF alone: one claim, even when PDF is ours already, and no waiting for it to show.
    void makeDefaultPDFApp(Done completion = {});
    // Every claimed type; answers whether all of them are ours afterwards.
    void makeDefaultViewerApp(Done completion = {});
    // The types of the first group of that name (exact); false at once for an unknown name.
    void makeDefaultForGroup(const std::string& name, Done completion = {});

    // One type after another; `done` gets false when the desktop refused any of them.
    void claimSequentially(std::vector<ContentType> types, Done done);
    // Polls until the type is ours (true) or `timeout` seconds pass (false); the first poll runs
    // on the calling thread, the others on the main thread.
    void settleDefault(const std::string& mimeType, double timeout, Done done);
    // The current counts into every open page.
    void broadcastDefaultProgress();

private:
    struct ClaimRun {
        std::deque<ContentType> queue;
        bool ok = true;
        Done done;
    };
    explicit DefaultAppClaims(DefaultAppServices services) : m_services(std::move(services)) {}
    void step(const std::shared_ptr<ClaimRun>& run);
    // A run over `types` whose end answers `ours`, asked again, then reloads the settings panel.
    void claimThenAsk(std::vector<ContentType> types, std::function<bool(const DefaultAppClaims&)> ours, Done completion);
    std::string resourcesDir() const;

    DefaultAppServices m_services;
};

}
