#pragma once

#include "crossdoc/AnnotationActions.h"

#include <memory>

namespace ikw {
class TaskQueue;
class UrlActions;
}

namespace ikw::crossdoc {

class CompareIntake;
class CrossFolderSearch;
class DraftTimeline;
class LinksController;
class VisualCompare;

// What cross-document search takes from the running application.
struct CrossDocServices {
    // The application's concurrent workers for work the user waits on.
    TaskQueue* workers = nullptr;
    // The application's cross-document links.
    std::weak_ptr<LinksController> links {};
    // The reader's annotated copies and exports; without a toolkit and a queue they are not offered.
    AnnotationServices annotations {};
    // The application's cross-folder search; without it "search" has no row.
    std::weak_ptr<CrossFolderSearch> search {};
    // The application's visual page diff.
    std::weak_ptr<VisualCompare> visualCompare {};
    // The application's compare intake.
    std::weak_ptr<CompareIntake> compareIntake {};
    // The application's draft timeline.
    std::weak_ptr<DraftTimeline> draftTimeline {};
};

// The page actions of cross-document search ("readersearch", "search"), of the links between passages
// (see LinkActions.h), the reader's annotations ("autosaveannot", "saveannot", "exportannots") and
// the visual page diff ("visualdiff", "xcompare", "pickvisualcompare"), the compare intake
// ("compare", "comparepick") and the draft timeline ("drafttimeline", "timelinego",
// "timelineready", "timelinereorder").
void registerActions(UrlActions& actions, const CrossDocServices& services);

}
