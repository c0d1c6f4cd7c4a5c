#include "docops/OcrActions.h"

#include "docops/OcrCache.h"
#include "docops/OcrRun.h"
#include "platform/core/Paths.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/Text.h"
#include "platform/core/TextMetrics.h"
#include "platform/ui/PageScript.h"
#include "platform/ui/WebView.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

namespace ikw::docops {

namespace {

// The page of the window that sent an action, held weakly: a window closed meanwhile gets nothing.
struct PageHandle {
    std::weak_ptr<ReviewWC> window;
    std::weak_ptr<ui::WebView> web;

    explicit PageHandle(const UrlAction& action) : window(action.window.weak_from_this()), web(action.window.web) { }

    // Evaluates the scripts in order on the main queue, unless the window has closed by then.
    void send(std::vector<std::string> scripts) const
    {
        mainQueue().post([scripts = std::move(scripts), window = window, web = web] {
            const auto shown = window.lock();
            const auto view = web.lock();
            if (!shown || shown->isClosed() || !view)
                return;
            for (const std::string& script : scripts)
                view->evaluate(script);
        });
    }
};

std::string queryOf(const UrlAction& action)
{
    return std::string(trimWhitespaceAndNewlines(action.item("q").value_or("")));
}

// Recognises a PDF and caches its text; a path that is not an absolute existing file is not opened.
void recognise(const std::string& target, ocr::TextRecognizer& recognizer, const OcrPageProgress& progress)
{
    const std::optional<std::string> checked = checkedPagePath(target, PathNeed::Existing);
    if (!checked)
        return;
    const std::vector<OcrPageRecord> records = runOCRDoc(*checked, recognizer, progress);
    if (!records.empty())
        ocrCacheWrite(*checked, records);
}

// Page progress for the page, after each recognised page.
OcrPageProgress pageProgress(const PageHandle& page, const std::string& name)
{
    return [page, name](int done, int total) {
        page.send({ ui::guardedCall("ikwOCRPageProgress", toJson(Json { { "done", done }, { "total", total }, { "name", name } })) });
    };
}

std::vector<std::string> ocrTargets(const UrlAction& action)
{
    std::vector<std::string> targets = action.paths();
    if (!targets.empty())
        return targets;
    if (const auto path = action.path())
        return { *path };
    return {};
}

std::vector<std::string> explicitPdfs(const ReviewWC& window)
{
    std::vector<std::string> pdfs;
    for (const std::string& source : window.sourcePaths)
        if (asciiLowercase(pathExtension(source)) == "pdf")
            pdfs.push_back(source);
    return pdfs;
}

}

void readerOCR(const UrlAction& action, const OcrServices& services)
{
    std::optional<std::string> path = action.path();
    if (!path || path->empty())
        path = action.window.sourcePaths.empty() ? std::string() : action.window.sourcePaths.front();
    const std::optional<std::string> document = checkedPagePath(path, PathNeed::Existing);
    if (!document)
        return;
    action.answer("if(window.ikwReaderOCRProgress){try{ikwReaderOCRProgress({done:0,total:1})}catch(e){}}");
    const PageHandle page(action);
    services.workers->post([services, page, q = queryOf(action), document = *document] {
        recognise(document, *services.recognizer, pageProgress(page, lastPathComponent(document)));
        const std::string results = toJson(services.search(q, {}, { document }));
        page.send({ "if(window.ikwReaderOCRProgress){try{ikwReaderOCRProgress({done:1,total:1})}catch(e){}}",
            ui::guardedCall("ikwReaderSearchResults", results) });
    });
}

void crossFolderOCR(const UrlAction& action, const OcrServices& services)
{
    const PageHandle page(action);
    services.workers->post([services, page, q = queryOf(action), targets = ocrTargets(action), dirs = services.scopeDirs(action.window),
                               files = explicitPdfs(action.window)] {
        const int total = static_cast<int>(targets.size());
        int done = 0;
        for (const std::string& target : targets) {
            const std::string name = lastPathComponent(target);
            recognise(target, *services.recognizer, pageProgress(page, name));
            ++done;
            page.send({ ui::guardedCall("ikwOCRProgress", toJson(Json { { "done", done }, { "total", total }, { "name", name } })) });
        }
        const std::string results = toJson(services.search(q, dirs, files));
        page.send({ ui::guardedCall("ikwSearchResults", results),
            "if(window.ikwOCRDone){try{ikwOCRDone({total:" + std::to_string(total) + "})}catch(e){}}" });
    });
}

}
