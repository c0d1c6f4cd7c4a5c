#include "crossdoc/CrossDocActions.h"

#include "crossdoc/CompareIntake.h"
#include "crossdoc/CrossFolderSearch.h"
#include "crossdoc/DraftTimeline.h"
#include "crossdoc/LinkActions.h"
#include "crossdoc/ReaderSearch.h"
#include "crossdoc/TimelinePage.h"
#include "crossdoc/VisualCompare.h"
#include "review/UrlActions.h"

namespace ikw::crossdoc {

namespace {

// Without the visual diff (before it exists or once it is gone) its actions do nothing.
void registerVisualCompareActions(UrlActions& actions, const std::weak_ptr<VisualCompare>& visualCompare)
{
    actions.add("visualdiff", [visualCompare](const UrlAction& action) {
        if (const auto diff = visualCompare.lock())
            diff->sendVisualDiff(action);
    });
    actions.add("xcompare", [visualCompare](const UrlAction& action) {
        if (const auto diff = visualCompare.lock())
            diff->handleWorkbenchCompare(action);
    });
    actions.add("pickvisualcompare", [visualCompare](const UrlAction&) {
        if (const auto diff = visualCompare.lock())
            diff->pickVisualCompare();
    });
}

void registerCompareIntakeActions(UrlActions& actions, const std::weak_ptr<CompareIntake>& compareIntake)
{
    actions.add("compare", [compareIntake](const UrlAction&) {
        if (const auto intake = compareIntake.lock())
            intake->openCompareIntake();
    });
    actions.add("comparepick", [compareIntake](const UrlAction& action) {
        if (const auto intake = compareIntake.lock())
            intake->comparePickSlot(action);
    });
}

void registerDraftTimelineActions(UrlActions& actions, const std::weak_ptr<DraftTimeline>& draftTimeline)
{
    actions.add("drafttimeline", [draftTimeline](const UrlAction&) {
        if (const auto timeline = draftTimeline.lock())
            timeline->openDraftTimelinePicker();
    });
    actions.add("timelinego", [draftTimeline](const UrlAction& action) {
        if (const auto timeline = draftTimeline.lock())
            timeline->openDraftTimelineFromPage(action);
    });
    // The stored timeline belongs to the window, so the page gets it even without the feature.
    actions.add("timelineready", [](const UrlAction& action) { pushTimeline(action.window); });
    actions.add("timelinereorder", [draftTimeline](const UrlAction& action) {
        if (const auto timeline = draftTimeline.lock())
            timeline->handleTimelineReorder(action);
    });
}

}

void registerActions(UrlActions& actions, const CrossDocServices& services)
{
    actions.add("readersearch", [workers = services.workers](const UrlAction& action) { readerSearch(action, *workers); });
    if (!services.search.expired()) {
        actions.add("search", [search = services.search](const UrlAction& action) {
            if (const auto service = search.lock())
                service->crossFolderSearchV2(action);
        });
    }
    registerLinkActions(actions, services.links);
    if (services.annotations.toolkit && services.annotations.documents)
        registerAnnotationActions(actions, services.annotations);
    registerVisualCompareActions(actions, services.visualCompare);
    registerCompareIntakeActions(actions, services.compareIntake);
    registerDraftTimelineActions(actions, services.draftTimeline);
}

}
