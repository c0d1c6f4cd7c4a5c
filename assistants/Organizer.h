#pragma once

#include "docops/ReviewPageOps.h"
#include "library/LibraryActions.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ikw {
class ReviewWC;
struct UrlAction;
namespace ui {
class WebView;
}
}

namespace ikw::assistants {

struct OrganizerServices {
    library::LibraryLookup library;
    // The toolkit's panels and alerts, and the settings panel's reload after "Don’t ask me again".
    docops::PageOpServices pageOps;
    // The page theme ("dark" or "light"); empty: "light".
    std::function<std::string()> resolvedScheme {};
    // Where an approved plan waits for the organizer; empty: this user's private temporary folder.
    std::function<std::optional<std::string>()> stagingFolder {};
};

// Organize into folders: the organize page for a folder in a review tab, and the page's actions
// that plan, apply (after the confirmation) and undo through the engine's organizer script. Nothing
// on disk is moved here; the script does it. Every answer goes to the web view that asked, while it
// exists. One per application; main thread only.
class Organizer : public std::enable_shared_from_this<Organizer> {
public:
    explicit Organizer(OrganizerServices services);

    // The tools menu's "Organize into Folders…": asks for a folder, then opens it.
    void openOrganize();
    // Records the folder as recent and shows its organize page by the generated-page tab rule.
    void openOrganizeFolder(const std::string& folder);

    // "organize": `dir` when it names something on disk, else the folder panel.
    void handleOrganize(const UrlAction& action);
    // "organizeready": ikwOrgInit with the folder's documents, or the error text.
    void organizeInit(const UrlAction& action);
    // "organizeplan": the plan with live progress to ikwOrgProgress, then ikwOrgPlan.
    void organizePlan(const UrlAction& action);
    // "organizeapply" (`folder`, `n`): the plan the page approved, after the confirmation, to
    // ikwOrgApplied.
    void organizeApply(const UrlAction& action);
    // "organizeundo" (`manifest`): ikwOrgUndone.
    void organizeUndo(const UrlAction& action);

private:
    struct Target;
    void confirmAndApply(ReviewWC& window, const std::string& folder, long long fileCount, std::string plan);
    void applyPlan(const Target& target, const std::string& plan);
    std::optional<std::string> stagePlan(const std::string& plan) const;

    OrganizerServices m_services;
};

}
