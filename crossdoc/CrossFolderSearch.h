#pragma once

#include "crossdoc/SearchIndex.h"
#include "crossdoc/SearchPayloads.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace ikw {
class ReviewWC;
class TaskQueue;
class WorkQueue;
struct UrlAction;
namespace ui {
class WebView;
}
}

namespace ikw::crossdoc {

// Makes the shared index, on the index queue, the first time a search needs it.
using SearchIndexFactory = std::function<std::unique_ptr<IWSearchIndex>()>;

// Cross-folder search (the page action "search"): searches every document of a window's folders
// and answers the page's ikwSearchResults. Queries of three or more characters are answered from
// the shared full-text index: when the index is behind the scope, the page first gets the live
// PDF search's answer, then one ikwIndexProgress per file while the index catches up, then the
// indexed answer. Shorter queries get the live PDF search alone.
//
// One per process, shared by every window: it owns the index queue (serial, made on first use)
// and the index on it. Shutting down does not wait for queued searches: those not started are
// dropped and a running re-index stops after the file in progress, so what it recorded stays and
// the rest is found stale next time.
class CrossFolderSearch {
public:
    static constexpr const char* kQueueLabel = "com.norvale.inkwarden.searchindex";

    // `workers` runs the short searches (the application's concurrent queue).
    explicit CrossFolderSearch(TaskQueue& workers, SearchIndexFactory makeIndex = makeApplicationSearchIndex);
    ~CrossFolderSearch();
    CrossFolderSearch(const CrossFolderSearch&) = delete;
    CrossFolderSearch& operator=(const CrossFolderSearch&) = delete;

    // Handles "search" (items `q` and `mode`): reads the request and the window's scope and
    // queues the search. Main thread.
    void crossFolderSearchV2(const UrlAction& action);

    // See the class comment. Main thread; later searches are ignored.
    void shutdown();

    // The index queue, made on first use.
    WorkQueue& searchIndexQ();

private:
    struct Job {
        SearchRequest request;
        SearchScope scope;
        std::weak_ptr<ReviewWC> window;
        std::weak_ptr<ui::WebView> web;
    };

    void runIndexJob(const Job& job);
    IWSearchIndex& sharedSearchIndex();
    bool stopping() const { return m_stopping.load(); }

    TaskQueue& m_workers;
    SearchIndexFactory m_makeIndex;
    std::atomic<bool> m_stopping = false;
    std::mutex m_queueMutex;
    // Used on the index queue only; outlives it.
    std::unique_ptr<IWSearchIndex> m_index;
    std::unique_ptr<WorkQueue> m_queue;
};

// Evaluates a page call in the window's page on the main queue, unless the window has closed or
// its page has gone by then. Any thread.
void postToPage(std::string script, std::weak_ptr<ReviewWC> window, std::weak_ptr<ui::WebView> web);

}
