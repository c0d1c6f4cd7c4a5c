#include "crossdoc/LinksController.h"

#include "crossdoc/LinksStore.h"
#include "library/LibraryLayer.h"
#include "library/WindowLookup.h"
#include "platform/core/Base64.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Log.h"
#include "platform/core/Paths.h"
#include "platform/core/TextMetrics.h"
#include "review/JsLiterals.h"
#include "review/PagePath.h"
#include "review/ReviewWC.h"

#include <algorithm>
#include <chrono>
#include <climits>

namespace ikw::crossdoc {

namespace {

constexpr const char* kLinkModeOff = "if(window.ikwLinkMode){ikwLinkMode(false,'')}";
constexpr const char* kLinkingToast = "if(window.__ikwToast){__ikwToast('Linking: select a passage in another document, then Link here')}";
constexpr const char* kLinkCreatedToast = "if(window.__ikwToast){__ikwToast('Link created')}";
constexpr const char* kReloadLinks = "if(window.ikwReloadLinks){ikwReloadLinks()}";

std::string linkModeOnScript(const Json& endpoint)
{
    return "if(window.ikwLinkMode){ikwLinkMode(true,'" + linkModeLabel(endpoint) + "')}";
}

std::string focusScript(const std::string& id, const std::string& end)
{
    return "if(window.ikwFocusLink){ikwFocusLink('" + jsEsc(id) + "','" + jsEsc(end) + "')}";
}

std::string linksAnswerScript(const Json& payload)
{
    return "if(window.ikwLinks){try{ikwLinks(JSON.parse(decodeURIComponent(escape(atob('" + encodeBase64(toJson(payload))
        + "')))))}catch(e){console.warn(e)}}";
}

// The end's page for opening its document: a JSON integer that fits.
std::optional<int> pageToOpen(const Json& end)
{
    const auto page = integerField(end, "page");
    if (!page || *page < INT_MIN || *page > INT_MAX)
        return std::nullopt;
    return static_cast<int>(*page);
}

long long millisecondsSince1970()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

bool hasId(const Json& record, const std::string& id)
{
    const auto recordId = stringField(record, "id");
    return recordId && canonicallyEqual(*recordId, id);
}

}

std::string linkModeLabel(const Json& endpoint)
{
    const auto path = stringField(endpoint, "path");
    const auto page = integerField(endpoint, "page");
    return jsEsc((path ? lastPathComponent(*path) : std::string("document")) + " \u00b7 p." + std::to_string(page.value_or(0)));
}

void readPageObject(ui::WebView& web, const std::string& global, std::function<void(Json)> object)
{
    web.evaluate("window." + global + " || ''", [object = std::move(object)](ui::ScriptResult result) {
        if (!result.value || !result.value->is_string())
            return;
        const auto& text = result.value->get_ref<const std::string&>();
        if (text.empty())
            return;
        if (auto parsed = parseJson(text); parsed && parsed->is_object())
            object(std::move(*parsed));
    });
}

LinksController::LinksController(library::LibraryLookup library)
    : m_library(std::move(library))
{
}

std::vector<std::shared_ptr<ReviewWC>> LinksController::readers() const
{
    const auto layer = m_library ? m_library() : nullptr;
    return layer ? library::readerWindows(layer->windows()) : std::vector<std::shared_ptr<ReviewWC>> {};
}

void LinksController::inEveryReader(const std::string& script) const
{
    for (const auto& reader : readers())
        reader->evaluate(script);
}

void LinksController::beginLink(const Json& endpoint)
{
    pendingLinkEndpoint = endpoint;
    const std::string modeOn = linkModeOnScript(endpoint);
    for (const auto& reader : readers()) {
        reader->evaluate(modeOn);
        reader->evaluate(kLinkingToast);
    }
}

void LinksController::finishLink(const Json& endpoint)
{
    if (!pendingLinkEndpoint) {
        beginLink(endpoint);
        return;
    }
    auto links = loadLinks();
    links.push_back(Json {
        { "id", makeUuid() },
        { "a", *pendingLinkEndpoint },
        { "b", endpoint },
        { "note", "" },
        { "created", millisecondsSince1970() },
    });
    saveLinks(links);
    pendingLinkEndpoint.reset();
    for (const auto& reader : readers()) {
        reader->evaluate(kLinkModeOff);
        reader->evaluate(kLinkCreatedToast);
    }
    reloadAllLinks();
}

void LinksController::cancelLink()
{
    pendingLinkEndpoint.reset();
    inEveryReader(kLinkModeOff);
}

void LinksController::sendLinks(ReviewWC& window)
{
    const std::string self = window.sourcePaths.empty() ? std::string() : window.sourcePaths.front();
    Json payload { { "self", self }, { "links", loadLinks() } };
    if (pendingLinkFocus && canonicallyEqual(pendingLinkFocus->path, self)) {
        payload["focus"] = Json { { "id", pendingLinkFocus->id }, { "end", pendingLinkFocus->end } };
        pendingLinkFocus.reset();
    }
    window.evaluate(linksAnswerScript(payload));
}

void LinksController::handleLinkJump(const std::shared_ptr<ui::WebView>& asking)
{
    readPageObject(*asking, "__ikwLinkJump", [weak = weak_from_this(), askingWeak = std::weak_ptr(asking)](const Json& request) {
        const auto self = weak.lock();
        const auto path = stringField(request, "path");
        if (!self || !path)
            return;
        const LinkFocus focus { *path, stringField(request, "id").value_or(""), stringField(request, "end").value_or("") };
        self->showLinkEnd(focus, pageToOpen(request), askingWeak.lock());
    });
}

void LinksController::handleLinkOpenPair(const std::string& id, const std::shared_ptr<ui::WebView>& asking)
{
    const auto links = loadLinks();
    const auto record = std::find_if(links.begin(), links.end(), [&](const Json& link) { return hasId(link, id); });
    if (record == links.end())
        return;
    for (const char* endName : { "a", "b" }) {
        const auto end = record->find(endName);
        const auto path = end == record->end() ? std::nullopt : linkEndPath(*end);
        if (path)
            showLinkEnd(LinkFocus { *path, id, endName }, pageToOpen(*end), asking);
    }
}

void LinksController::showLinkEnd(const LinkFocus& focus, std::optional<int> page, const std::shared_ptr<ui::WebView>& asking)
{
    const auto layer = m_library ? m_library() : nullptr;
    if (!layer)
        return;
    if (const auto reader = library::focusExistingReader(layer->windows(), focus.path)) {
        library::bringToFront(*reader);
        reader->evaluate(focusScript(focus.id, focus.end));
        return;
    }
    // The path comes from a page (now or when the link was made): only an existing file by its
    // absolute path is opened.
    const auto document = checkedPagePath(focus.path, PathNeed::Existing);
    if (!document) {
        logLine("[ikw] links: the linked document is not there: " + focus.path);
        if (asking)
            ReviewWC::readerToast(asking, "The linked document \u201C" + lastPathComponent(focus.path) + "\u201D was not found");
        return;
    }
    pendingLinkFocus = focus;
    layer->openers().openReader(*document, library::ReaderOpening { .page = page });
}

void LinksController::deleteLink(const std::string& id)
{
    auto links = loadLinks();
    std::erase_if(links, [&](const Json& link) { return hasId(link, id); });
    saveLinks(links);
    reloadAllLinks();
}

void LinksController::setLinkNote(const std::string& id, const std::string& note)
{
    auto links = loadLinks();
    for (auto& link : links) {
        if (hasId(link, id))
            link["note"] = note;
    }
    saveLinks(links);
    reloadAllLinks();
}

void LinksController::reloadAllLinks()
{
    inEveryReader(kReloadLinks);
}

}
