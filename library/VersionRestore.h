#pragma once

#include "library/VersionStore.h"
#include "platform/core/Json.h"
#include "platform/core/WorkQueue.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ikw {
class ReviewWC;
namespace ui {
class Dialogs;
}
}

namespace ikw::library {

// One entry of the version pop-up: its title, and the version and document it restores.
struct VersionChoice {
    std::string title;
    std::string snap;
    std::string doc;

    bool operator==(const VersionChoice&) const = default;
};

// The versions offered for `document` (listed newest first): at most 8, leaving out the one with
// the document's current second and size.
std::vector<VersionChoice> versionChoices(const std::vector<VersionEntry>& entries, const std::string& document,
    const std::optional<VersionFileFacts>& current);

// The menu item payload {"snap": version, "doc": document}, and the choice it names.
Json versionPayload(const VersionChoice& choice);
std::optional<VersionChoice> choiceFromPayload(const Json& payload);

// Banking and bringing back earlier versions. The store's work runs on one serial queue in call
// order (it copies whole documents); questions, alerts and the readers' refresh on the main queue.
class VersionRestore : public std::enable_shared_from_this<VersionRestore> {
public:
    static constexpr const char* kMenuTitle = "Restore previous version";

    struct Hooks {
        ui::Dialogs& dialogs;
        // Every review window, in the application's list order.
        std::function<std::vector<std::shared_ptr<ReviewWC>>()> windows;
        // Pops the choices up as a menu titled kMenuTitle over the window's page; a chosen entry
        // comes back through restoreVersionPick with its payload.
        std::function<void(ReviewWC& window, const std::vector<VersionChoice>& choices)> popUp;
    };

    // Owned by a shared pointer (std::make_shared): posted work holds it weakly.
    VersionRestore(VersionStore store, Hooks hooks) : m_store(std::move(store)), m_hooks(std::move(hooks)) {}
    ~VersionRestore() { m_queue->waitUntilIdle(); }

    void snapshotVersionFile(const std::string& document);
    // Offers the versions of the window's first source path, or says there are none yet.
    void restorePreviousVersion(ReviewWC& window);
    // Asks, then restores the version named by a menu item's payload; a payload without "snap"
    // or "doc" does nothing.
    void restoreVersionPick(const Json& payload);

    void waitUntilIdle() { m_queue->waitUntilIdle(); }

private:
    void offer(const std::weak_ptr<ReviewWC>& window, const std::string& document, const std::vector<VersionChoice>& choices);
    void restore(const VersionChoice& choice);
    void finishRestore(const VersionChoice& choice, const IoStatus& status);

    const VersionStore m_store;
    Hooks m_hooks;
    std::unique_ptr<WorkQueue> m_queue = makeSerialQueue("com.norvale.inkwarden.versions");
};

}
