#include "crossdoc/ReaderSearch.h"

#include "crossdoc/LivePdfSearch.h"
#include "platform/core/Json.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/TextMetrics.h"
#include "platform/ui/PageScript.h"
#include "platform/ui/WebView.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

namespace ikw::crossdoc {

namespace {

constexpr const char* kResultsCallback = "ikwReaderSearchResults";

// The document to search: the page's `path` when it gives one, else the window's first source;
// none when that file does not exist.
std::optional<std::string> documentToSearch(const UrlAction& action)
{
    const std::optional<std::string> path = action.path();
    if (path && !path->empty())
        return checkedPagePath(path, PathNeed::Existing);
    const std::vector<std::string>& sources = action.window.sourcePaths;
    if (sources.empty())
        return std::nullopt;
    return checkedPagePath(sources.front(), PathNeed::Existing);
}

}

std::string emptyReaderSearchAnswer(const std::string& q)
{
    return ui::guardedCall(kResultsCallback, "{q:" + jsQuote(q) + ",docs:[],docCount:0,hitCount:0,scannedNoText:[],ocrUsed:0}");
}

void readerSearch(const UrlAction& action, TaskQueue& workers)
{
    const std::string q(trimWhitespaceAndNewlines(action.item("q").value_or("")));
    const std::optional<std::string> document = documentToSearch(action);
    if (!document) {
        action.answer(emptyReaderSearchAnswer(q));
        return;
    }
    workers.post([q, document = *document, window = action.window.weak_from_this(), web = std::weak_ptr<ui::WebView>(action.window.web)] {
        const std::string answer = ui::guardedCall(kResultsCallback, toJson(runPDFSearch(q, {}, { document }).toJson()));
        mainQueue().post([answer, window, web] {
            const auto shown = window.lock();
            const auto view = web.lock();
            if (shown && !shown->isClosed() && view)
                view->evaluate(answer);
        });
    });
}

}
