#include "crossdoc/DraftTimeline.h"

#include "crossdoc/TimelinePage.h"
#include "crossdoc/TimelineRun.h"
#include "library/DocumentKinds.h"
#include "library/LibraryLayer.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WebView.h"
#include "review/EngineLocator.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>

namespace ikw::crossdoc {

namespace {

constexpr std::array<std::string_view, 12> kDraftExtensions { "pdf", "ppt", "pptx", "key", "doc", "docx", "rtf", "odp", "odt", "pages", "txt", "md" };

ui::FilePanelOptions draftsPanel()
{
    ui::FilePanelOptions panel;
    // The chooser has one title line, which carries the request.
    panel.title = "Choose two or more drafts of one document to compare on a timeline";
    panel.message = panel.title;
    panel.prompt = "Compare Drafts";
    panel.chooseFiles = true;
    panel.chooseDirectories = false;
    panel.allowsMultiple = true;
    return panel;
}

void storeDiffs(ReviewWC& window, const std::map<std::string, std::string>& diffs)
{
    for (const auto& [key, diff] : diffs)
        window.timeline.timelineDiffs.insert_or_assign(key, diff);
}

}

std::vector<std::string> timelineDrafts(const std::vector<std::string>& paths)
{
    std::vector<std::string> drafts;
    std::copy_if(paths.begin(), paths.end(), std::back_inserter(drafts), [](const std::string& path) {
        const auto extension = library::lowerExtension(path);
        return std::find(kDraftExtensions.begin(), kDraftExtensions.end(), extension) != kDraftExtensions.end()
            && !library::isDirectoryPath(path);
    });
    return drafts;
}

std::string draftTimelineTitle(std::size_t draftCount)
{
    return "Draft Timeline \u00b7 " + std::to_string(draftCount) + " drafts";
}

DraftTimeline::DraftTimeline(ui::Dialogs& dialogs, library::LibraryLookup library, EngineRunOptions runOptions)
    : m_library(std::move(library))
    , m_dialogs(dialogs)
    , m_runOptions(std::move(runOptions))
{
}

void DraftTimeline::openDraftTimelinePicker()
{
    m_dialogs.openPanel(nullptr, draftsPanel(), [weak = weak_from_this()](std::optional<std::vector<std::string>> chosen) {
        const auto self = weak.lock();
        if (!self || !chosen)
            return;
        const auto drafts = timelineDrafts(*chosen);
        if (drafts.size() >= 2) {
            self->openDraftTimeline(drafts);
        } else if (drafts.size() == 1) {
            if (const auto layer = self->m_library())
                layer->router().runEngine({ drafts.front() });
        }
    });
}

void DraftTimeline::openDraftTimelineFromPage(const UrlAction& action)
{
    // Paths from a page are used only when absolute, so none can pass for an option.
    std::vector<std::string> paths;
    for (const auto& path : action.paths()) {
        if (const auto checked = checkedPagePath(path, PathNeed::Absolute))
            paths.push_back(*checked);
    }
    openDraftTimeline(paths);
}

void DraftTimeline::openDraftTimeline(const std::vector<std::string>& paths)
{
    const auto layer = m_library();
    if (!layer || paths.empty())
        return;
    const auto drafts = timelineDrafts(paths);
    if (drafts.size() < 2) {
        layer->router().runEngine({ drafts.empty() ? paths.front() : drafts.front() });
        return;
    }
    layer->openers().recordRecent(drafts);

    auto& openers = layer->openers();
    const auto window = openers.windowForDocument();
    window->hasContent = true;
    window->isReader = false;
    window->isGrid = false;
    window->sourcePaths = drafts;
    window->timeline = TimelineState { .isTimeline = true, .timelinePaths = drafts, .timelineDraftsJSON = {}, .timelineDiffs = {} };
    window->representFile("");
    const auto title = draftTimelineTitle(drafts.size());
    window->window().setTabTitle(*window->web, title);
    window->window().setTitle(title);
    window->window().present();
    openers.ensureLoadingPage(*window);
    window->showSpinner();

    std::weak_ptr<ReviewWC> weak = window;
    computeTimeline(drafts, std::nullopt, true, [weak](TimelineAnswer answer) {
        const auto shown = weak.lock();
        if (!shown || shown->isClosed())
            return;
        shown->timeline.timelineDraftsJSON = answer.drafts.value_or("[]");
        storeDiffs(*shown, answer.diffs);
        // Also after a failed run: the page then shows an empty timeline rather than a spinner.
        shown->web->loadFile(timelineHTMLPath());
    }, m_runOptions);
}

void DraftTimeline::handleTimelineReorder(const UrlAction& action)
{
    const auto& timeline = action.window.timeline;
    const auto order = action.item("order");
    if (!timeline.isTimeline || !order)
        return;
    auto pairs = reorderPairs(*order, timeline.timelinePaths.size(), timeline.timelineDiffs);
    if (pairs.empty())
        return;
    std::weak_ptr<ReviewWC> weak = action.window.weak_from_this();
    computeTimeline(timeline.timelinePaths, std::move(pairs), false, [weak](TimelineAnswer answer) {
        const auto shown = weak.lock();
        if (!shown || shown->isClosed())
            return;
        storeDiffs(*shown, answer.diffs);
        shown->evaluate(timelineDiffsScript(answer.diffs));
    }, m_runOptions);
}

}
