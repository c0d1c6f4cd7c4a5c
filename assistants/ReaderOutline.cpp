#include "assistants/ReaderOutline.h"

#include "platform/core/TaskQueue.h"
#include "platform/core/TextMetrics.h"
#include "platform/pdf/Document.h"
#include "platform/ui/PageScript.h"
#include "platform/ui/WebView.h"
#include "review/ReviewWC.h"

namespace ikw::assistants {

namespace {

// Pre-order, so that items come in reading order with their depth.
void walk(const std::vector<pdf::OutlineEntry>& entries, int level, Json& items)
{
    for (const pdf::OutlineEntry& entry : entries) {
        if (items.size() > kOutlineItemLimit)
            return;
        items.push_back(Json {
            { "title", std::string(trimWhitespaceAndNewlines(entry.title)) },
            { "page", entry.page ? *entry.page + 1 : -1 },
            { "level", level },
        });
        walk(entry.children, level + 1, items);
    }
}

}

Json runOutline(const std::string& path)
{
    const std::optional<pdf::Document> document = pdf::Document::openFile(path);
    if (!document)
        return Json { { "ok", false } };
    const std::vector<pdf::OutlineEntry> outline = document->outline();
    if (outline.empty())
        return Json { { "ok", true }, { "hasOutline", false }, { "items", Json::array() } };
    Json items = Json::array();
    walk(outline, 0, items);
    return Json { { "ok", true }, { "hasOutline", true }, { "items", std::move(items) }, { "pageCount", document->pageCount() } };
}

void sendOutline(ReviewWC& window, TaskQueue& workers, OutlineProducer producer, std::string callback)
{
    if (window.sourcePaths.empty())
        return;
    workers.post([path = window.sourcePaths.front(), producer = std::move(producer), callback = std::move(callback),
                     owner = window.weak_from_this(), web = std::weak_ptr<ui::WebView>(window.web)] {
        std::string script = ui::guardedCall(callback, toJson(producer(path)));
        mainQueue().post([script = std::move(script), owner, web] {
            const auto shown = owner.lock();
            const auto view = web.lock();
            if (shown && !shown->isClosed() && view)
                view->evaluate(script);
        });
    });
}

}
