#pragma once

#include "library/GroupIdentity.h"
#include "library/GroupSyncBridge.h"
#include "platform/core/WorkQueue.h"
#include "review/ReviewServices.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ikw::library {

struct GroupSyncServices {
    ui::Toolkit* toolkit = nullptr;
    // The stored pair code, never a new one; empty (or no entry): the application is not paired
    // and nothing syncs.
    std::function<std::string()> pairCode {};
    // A document's first-page picture as base64 JPEG; empty: the covers' own (off the main thread).
    std::function<std::optional<std::string>(const std::string& path)> pagePicture {};
    // Where the group-writer page is; empty: the engine's.
    std::function<std::string()> pagePath {};
};

// Publishes a review's PDFs as a group of the paired library, with their first-page pictures,
// shortly after the review was loaded. Main thread, except the work it starts.
class GroupSync : public std::enable_shared_from_this<GroupSync> {
public:
    static constexpr double kDebounceSeconds = 0.6;
    static constexpr std::size_t kMinimumGroupSize = 2;
    static constexpr std::size_t kPictureCap = 60;

    static std::shared_ptr<GroupSync> make(GroupSyncServices services);
    GroupSync(const GroupSync&) = delete;
    GroupSync& operator=(const GroupSync&) = delete;

    // Restarts the window's debounce: calls in quick succession lead to one sync, 0.6 s after the
    // last.
    void scheduleGroupSync(ReviewWC& window);
    // One sync of the window now: its members are listed and hashed in the background.
    void runGroupSync(ReviewWC& window);

    GroupSyncBridge& bridge() { return *m_bridge; }
    // Blocks until the background work started so far has ended (tests).
    void waitUntilIdle() { m_workers->waitUntilIdle(); }

private:
    explicit GroupSync(GroupSyncServices services);

    struct Request {
        std::vector<std::string> sourcePaths;
        std::string code;
        std::weak_ptr<ReviewWC> window;
    };
    void syncInBackground(const Request& request);
    void publishPictures(const std::vector<std::pair<std::string, std::string>>& members, const std::string& code, const std::string& lib);

    GroupSyncServices m_services;
    DocumentIds m_documentIds;
    std::shared_ptr<GroupSyncBridge> m_bridge;
    // Last, so that it finishes its work before the parts that work uses go.
    std::unique_ptr<WorkQueue> m_workers = makeSerialQueue("com.norvale.inkwarden.groupsync");
};

// Whether a window's content is published at all: a loaded review, not a reader nor one of the
// tool windows.
bool windowSyncsGroups(const ReviewWC& window);

// Fills the review windows' entry; the windows reach the sync only while it lives.
void registerGroupSync(ReviewFeatures& features, const std::shared_ptr<GroupSync>& sync);

}
