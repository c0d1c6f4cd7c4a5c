#include "assistants/BridgeEndpoints.h"

#include "app/Globals.h"
#include "assistants/PageScriptDeadline.h"
#include "crossdoc/AnnotationExport.h"
#include "library/DocumentKinds.h"
#include "library/LibraryLayer.h"
#include "library/WindowLookup.h"
#include "platform/core/Base64.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"
#include "platform/core/Text.h"
#include "platform/pdf/Document.h"
#include "review/ReviewWindows.h"

#include <glib.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

namespace ikw::assistants {

namespace {

constexpr const char* kViewerStateScript = "window.pdfViewer ? JSON.stringify({p:pdfViewer.currentPageNumber,n:pdfViewer.pagesCount}) : ''";
constexpr const char* kSerializeBody = "return await serializeB64();";
constexpr const char* kNoReader = "no matching open reader window \u2014 use /windows to see what is open, or /open first";
constexpr const char* kStillOpening = "the document is still opening \u2014 try again in a moment";

std::string documentOf(const ReviewWC& window)
{
    return window.sourcePaths.empty() ? std::string() : window.sourcePaths.front();
}

Json documentJson(const ReviewWC& window)
{
    return window.sourcePaths.empty() ? Json(nullptr) : Json(window.sourcePaths.front());
}

std::string expandedPath(const BridgeQuery& query)
{
    const auto it = query.find("path");
    return it == query.end() ? std::string() : globals().paths.expandTilde(it->second);
}

std::optional<long long> integerParameter(const BridgeQuery& query, const std::string& name)
{
    const auto it = query.find(name);
    return it == query.end() ? std::nullopt : parseInteger(it->second);
}

// The JSON object a script's answer holds as text; nothing for anything else.
std::optional<Json> objectAnswer(const ui::ScriptResult& result)
{
    if (result.error || !result.value || !result.value->is_string())
        return std::nullopt;
    auto parsed = parseJson(result.value->get<std::string>());
    if (!parsed || !parsed->is_object())
        return std::nullopt;
    return parsed;
}

Json memberOrNull(const Json& object, const char* name)
{
    const auto it = object.find(name);
    return it == object.end() ? Json(nullptr) : *it;
}

std::string fileUrlOf(const std::string& path)
{
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    std::string url = uri ? uri : path;
    g_free(uri);
    return url;
}

Json windowEntry(const ReviewWC& window, const std::shared_ptr<ReviewWC>& key)
{
    return Json {
        { "id", window.bridgeId },
        { "kind", kindOf(window) },
        { "title", window.window().title() },
        { "paths", window.sourcePaths },
        { "document", documentJson(window) },
        { "is_key", key.get() == &window },
    };
}

// The viewer's state, as the page reported it, added to a reader's entry.
void addViewerState(Json& entry, const ui::ScriptResult& result)
{
    const auto state = objectAnswer(result);
    if (!state)
        return;
    const auto count = state->find("n");
    if (count != state->end() && count->is_number_integer() && count->get<long long>() > 0) {
        if (const auto page = state->find("p"); page != state->end())
            entry["page"] = *page;
        entry["page_count"] = *count;
    } else {
        entry["loading"] = true;
    }
}

// The /windows answer being gathered: entries in the order they were added, sent when the last
// reader has answered.
struct WindowListing {
    std::vector<Json> entries;
    int outstanding = 1; // the listing itself, until every window was visited
    BridgeReply reply;

    void finishOne()
    {
        if (--outstanding > 0)
            return;
        std::stable_partition(entries.begin(), entries.end(), [](const Json& entry) { return entry.at("is_key").get<bool>(); });
        const auto count = entries.size();
        reply(Json { { "ok", true }, { "count", count }, { "windows", std::move(entries) } });
    }
};

std::string gotoScript(long long page)
{
    return "(function(p){if(!window.pdfViewer||!pdfViewer.pagesCount)return '';var v=pdfViewer;v.currentPageNumber=Math.max(1,Math.min(v.pagesCount,p));"
           "return JSON.stringify({page:v.currentPageNumber,pages:v.pagesCount})})("
        + std::to_string(page) + ")";
}

bool pageVerified(const Json& page, const Json& pages, long long requested)
{
    if (!page.is_number_integer())
        return false;
    const long long expected = pages.is_number_integer() ? std::min(requested, pages.get<long long>()) : requested;
    return page.get<long long>() == expected;
}

std::shared_ptr<ReviewWC> gotoTarget(const ReviewWindows& windows, const BridgeQuery& query)
{
    const auto live = liveWindows(windows);
    if (const auto id = query.find("window"); id != query.end() && !id->second.empty()) {
        const auto it = std::find_if(live.begin(), live.end(), [&](const auto& window) { return window->bridgeId == id->second; });
        return it == live.end() ? nullptr : *it;
    }
    if (const auto path = query.find("path"); path != query.end() && !path->second.empty()) {
        const auto expanded = globals().paths.expandTilde(path->second);
        const auto it = std::find_if(live.begin(), live.end(), [&](const auto& window) { return window->isReader && documentOf(*window) == expanded; });
        return it == live.end() ? nullptr : *it;
    }
    return library::keyReviewWC(windows);
}

// Where /annotations reads the PDF from: bytes from the page, or a file.
struct PdfSource {
    std::string source; // "live", "sidecar" or "file"
    std::optional<std::string> bytes;
    std::string file;
};

Json annotationsReply(const std::string& path, const PdfSource& from)
{
    const auto document = from.bytes ? pdf::Document::fromBytes(*from.bytes) : pdf::Document::openFile(from.file);
    if (!document)
        return bridgeError("could not read a PDF for " + path + " (source: " + from.source + ")");
    const auto exported = crossdoc::runAnnotationExport(*document, lastPathComponent(path));
    Json annotations = Json::array();
    for (const auto& item : exported.items)
        annotations.push_back(Json { { "page", item.page }, { "kind", item.kind }, { "text", item.text }, { "note", item.note }, { "author", item.author } });
    return Json {
        { "ok", true },
        { "path", path },
        { "source", from.source },
        { "count", exported.items.size() },
        { "annotations", std::move(annotations) },
        { "markdown", exported.markdown },
    };
}

// Reads and exports on the document queue; the reply goes out from the main thread.
void answerFrom(TaskQueue& documentQueue, std::string path, PdfSource from, BridgeReply reply)
{
    documentQueue.post([path = std::move(path), from = std::move(from), reply = std::move(reply)]() mutable {
        mainQueue().post([answer = annotationsReply(path, from), reply = std::move(reply)] { reply(answer); });
    });
}

bool hasSidecar(const AnnotationSidecars& sidecars, const std::string& path)
{
    return sidecars.exists && sidecars.path && sidecars.exists(path);
}

}

std::string kindOf(const ReviewWC& window)
{
    if (!window.hasContent)
        return "welcome";
    if (window.isReader)
        return "reader";
    if (window.isGrid)
        return "grid";
    if (window.timeline.isTimeline)
        return "timeline";
    if (window.isOrganize)
        return "organize";
    if (window.isRedact)
        return "redact";
    if (window.isBates)
        return "bates";
    return "review";
}

std::vector<std::shared_ptr<ReviewWC>> liveWindows(const ReviewWindows& windows)
{
    std::vector<std::shared_ptr<ReviewWC>> live;
    std::copy_if(windows.windows().begin(), windows.windows().end(), std::back_inserter(live), [](const auto& window) { return !window->isClosed(); });
    return live;
}

Json statusReply(const ReviewWindows& windows)
{
    const auto& info = globals().appInfo;
    const auto current = library::currentDocPath(windows);
    return Json {
        { "ok", true },
        { "app", globals().brand.name },
        { "version", info.shortVersion },
        { "build", info.build },
        { "pid", static_cast<long long>(::getpid()) },
        { "windows", liveWindows(windows).size() },
        { "current_document", current ? Json(*current) : Json(nullptr) },
    };
}

void handleWindows(const ReviewWindows& windows, BridgeReply reply)
{
    auto listing = std::make_shared<WindowListing>();
    listing->reply = std::move(reply);
    const auto key = library::keyReviewWC(windows);
    for (const auto& window : liveWindows(windows)) {
        auto entry = windowEntry(*window, key);
        if (!window->isReader) {
            listing->entries.push_back(std::move(entry));
            continue;
        }
        ++listing->outstanding;
        evaluateWithin(*window->web, kViewerStateScript, kPageScriptSeconds, [listing, entry = std::move(entry)](ui::ScriptResult result) mutable {
            addViewerState(entry, result);
            listing->entries.push_back(std::move(entry));
            listing->finishOne();
        });
    }
    listing->finishOne();
}

void handleOpen(library::LibraryLayer& library, const BridgeQuery& query, BridgeReply reply)
{
    const auto path = expandedPath(query);
    if (path.empty()) {
        reply(bridgeError("path is required"));
        return;
    }
    auto& fileSystem = realFileSystem();
    if (!fileSystem.exists(path)) {
        reply(bridgeError("no such file: " + path));
        return;
    }
    const auto page = integerParameter(query, "page");
    if (fileSystem.isDirectory(path)) {
        library.router().handle(fileUrlOf(path));
    } else {
        library::ReaderOpening opening;
        if (page)
            opening.page = static_cast<int>(std::clamp<long long>(*page, INT_MIN, INT_MAX));
        library.openers().openReader(path, opening);
    }
    library.openers().activate();

    const auto& list = library.windows().windows();
    const auto shown = std::find_if(list.rbegin(), list.rend(), [&](const auto& window) { return documentOf(*window) == path; });
    const auto found = shown != list.rend() ? *shown : library::keyReview(library.windows());
    reply(Json {
        { "ok", true },
        { "opened", path },
        { "window", found ? Json(found->bridgeId) : Json(nullptr) },
        { "kind", found ? Json(kindOf(*found)) : Json(nullptr) },
        { "page", page ? Json(*page) : Json(nullptr) },
        { "verified", found && documentOf(*found) == path },
    });
}

void handleGoto(const ReviewWindows& windows, const BridgeQuery& query, BridgeReply reply)
{
    const auto page = integerParameter(query, "page");
    if (!page || *page < 1) {
        reply(bridgeError("page (1-based integer) is required"));
        return;
    }
    const auto target = gotoTarget(windows, query);
    if (!target || !target->isReader) {
        reply(bridgeError(kNoReader));
        return;
    }
    std::weak_ptr<ReviewWC> weak = target;
    evaluateWithin(*target->web, gotoScript(*page), kPageScriptSeconds,
        [weak, id = target->bridgeId, document = documentJson(*target), requested = *page, reply = std::move(reply)](ui::ScriptResult result) {
            const auto state = objectAnswer(result);
            if (!state) {
                reply(bridgeError(kStillOpening));
                return;
            }
            if (auto window = weak.lock(); window && !window->isClosed())
                library::bringToFront(*window);
            const auto shownPage = memberOrNull(*state, "page");
            const auto pages = memberOrNull(*state, "pages");
            reply(Json {
                { "ok", true },
                { "window", id },
                { "document", document },
                { "page", shownPage },
                { "page_count", pages },
                { "verified", pageVerified(shownPage, pages, requested) },
            });
        });
}

void handleAnnotations(const BridgeEndpointContext& context, const BridgeQuery& query, BridgeReply reply)
{
    auto path = expandedPath(query);
    if (path.empty())
        path = library::currentDocPath(context.library.windows()).value_or("");
    if (path.empty()) {
        reply(bridgeError("path is required (no document is currently open)"));
        return;
    }
    const auto live = liveWindows(context.library.windows());
    const auto reader = std::find_if(live.begin(), live.end(), [&](const auto& window) { return window->isReader && documentOf(*window) == path; });
    if (reader != live.end()) {
        // The page's copy carries the annotations made since the document was opened.
        callAsyncWithin(*(*reader)->web, kSerializeBody, kPageScriptSeconds,
            [&queue = context.documentQueue, sidecars = context.sidecars, path, reply = std::move(reply)](ui::ScriptResult result) mutable {
                const bool isText = !result.error && result.value && result.value->is_string();
                if (auto bytes = isText ? decodeBase64(result.value->get<std::string>()) : std::nullopt) {
                    answerFrom(queue, path, PdfSource { "live", std::move(bytes), {} }, std::move(reply));
                    return;
                }
                if (hasSidecar(sidecars, path))
                    answerFrom(queue, path, PdfSource { "sidecar", std::nullopt, sidecars.path(path) }, std::move(reply));
                else
                    answerFrom(queue, path, PdfSource { "file", std::nullopt, path }, std::move(reply));
            });
        return;
    }
    if (hasSidecar(context.sidecars, path)) {
        answerFrom(context.documentQueue, path, PdfSource { "sidecar", std::nullopt, context.sidecars.path(path) }, std::move(reply));
        return;
    }
    if (library::lowerExtension(path) == "pdf") {
        answerFrom(context.documentQueue, path, PdfSource { "file", std::nullopt, path }, std::move(reply));
        return;
    }
    reply(bridgeError(path + " is not a PDF and has no Inkwarden markup sidecar \u2014 annotations are a PDF feature"));
}

}
