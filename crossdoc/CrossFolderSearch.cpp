#include "crossdoc/CrossFolderSearch.h"

#include "crossdoc/LivePdfSearch.h"
#include "platform/core/TextMetrics.h"
#include "platform/core/WorkQueue.h"
#include "platform/ui/WebView.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

#include <algorithm>
#include <cctype>

namespace ikw::crossdoc {

namespace {

// The index answers queries of this many user-perceived characters and more.
constexpr std::size_t kIndexedQueryLength = 3;

std::string lowercased(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

SearchRequest readRequest(const UrlAction& action)
{
    return { std::string(trimWhitespaceAndNewlines(action.item("q").value_or(""))), lowercased(action.item("mode").value_or("exact")) };
}

}

void postToPage(std::string script, std::weak_ptr<ReviewWC> window, std::weak_ptr<ui::WebView> web)
{
    mainQueue().post([script = std::move(script), window = std::move(window), web = std::move(web)] {
        const auto shown = window.lock();
        const auto view = web.lock();
        if (shown && !shown->isClosed() && view)
            view->evaluate(script);
    });
}

CrossFolderSearch::CrossFolderSearch(TaskQueue& workers, SearchIndexFactory makeIndex)
    : m_workers(workers)
    , m_makeIndex(std::move(makeIndex))
{
}

CrossFolderSearch::~CrossFolderSearch()
{
    shutdown();
}

WorkQueue& CrossFolderSearch::searchIndexQ()
{
    const std::lock_guard lock(m_queueMutex);
    if (!m_queue)
        m_queue = makeSerialQueue(kQueueLabel);
    return *m_queue;
}

void CrossFolderSearch::shutdown()
{
    m_stopping = true;
    std::unique_ptr<WorkQueue> queue;
    {
        const std::lock_guard lock(m_queueMutex);
        queue = std::move(m_queue);
    }
    // Runs what is queued (each job sees the stop and returns), after the file in progress.
    queue.reset();
    m_index.reset();
}

void CrossFolderSearch::crossFolderSearchV2(const UrlAction& action)
{
    if (stopping())
        return;
    Job job { readRequest(action), searchScope(action.window.sourcePaths), action.window.weak_from_this(), action.window.web };
    if (graphemeCount(job.request.q) >= kIndexedQueryLength) {
        searchIndexQ().post([this, job = std::move(job)] { runIndexJob(job); });
        return;
    }
    m_workers.post([job = std::move(job)] {
        const Json live = runPDFSearch(job.request.q, job.scope.dirs, job.scope.explicitFiles).toJson();
        postToPage(searchResultsCall(upgradePayload(live, job.request, false)), job.window, job.web);
    });
}

IWSearchIndex& CrossFolderSearch::sharedSearchIndex()
{
    if (!m_index)
        m_index = m_makeIndex();
    return *m_index;
}

void CrossFolderSearch::runIndexJob(const Job& job)
{
    // A window closed while its search waited gets nothing, and the index stays as it was.
    if (stopping() || job.window.expired())
        return;
    IWSearchIndex& index = sharedSearchIndex();
    if (!index.isFresh(job.scope.dirs, job.scope.explicitFiles)) {
        const Json live = runPDFSearch(job.request.q, job.scope.dirs, job.scope.explicitFiles).toJson();
        postToPage(searchResultsCall(upgradePayload(live, job.request, true)), job.window, job.web);
        const auto progress = [&job](std::size_t done, std::size_t total, const std::string& name) {
            postToPage(indexProgressCall(done, total, name), job.window, job.web);
        };
        index.reindex(job.scope.dirs, job.scope.explicitFiles, IWSearchIndex::kDefaultMaxFiles, progress, [this] { return stopping(); });
        if (stopping())
            return;
    }
    postToPage(searchResultsCall(indexedSearchPayload(index, job.request, job.scope)), job.window, job.web);
}

}
