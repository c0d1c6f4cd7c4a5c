#pragma once

#include "library/LibraryActions.h"
#include "review/EngineProcess.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace ikw {
class ReviewWC;
struct UrlAction;
namespace ui {
class Dialogs;
}
}

namespace ikw::crossdoc {

// The drafts among `paths`, in order: files (not folders) of a kind the timeline compares.
std::vector<std::string> timelineDrafts(const std::vector<std::string>& paths);

// "Draft Timeline · 3 drafts".
std::string draftTimelineTitle(std::size_t draftCount);

// Several drafts of one document side by side in a review tab, with the diffs between neighbours
// computed by the engine's diff script; reordering the drafts on the page asks the script for the
// neighbour pairs not seen yet. One per application, made by the composition root. Main thread
// only; runs are not serialised, and a run whose tab has closed is dropped.
class DraftTimeline : public std::enable_shared_from_this<DraftTimeline> {
public:
    DraftTimeline(ui::Dialogs& dialogs, library::LibraryLookup library, EngineRunOptions runOptions = {});

    // The menu command "Compare Drafts on a Timeline…" and the page action "drafttimeline".
    void openDraftTimelinePicker();
    // "timelinego" (item `paths`): two or more drafts open a timeline; fewer open the one draft,
    // or the first path, as a document.
    void openDraftTimeline(const std::vector<std::string>& paths);
    void openDraftTimelineFromPage(const UrlAction& action);
    // "timelinereorder" (item `order`, comma-separated draft indexes).
    void handleTimelineReorder(const UrlAction& action);

private:
    library::LibraryLookup m_library;
    ui::Dialogs& m_dialogs;
    EngineRunOptions m_runOptions;
};

}
