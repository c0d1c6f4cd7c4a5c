#include "library/LibraryActions.h"

#include "library/DocumentKinds.h"
#include "library/LibraryLayer.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"
#include "review/PanelRouter.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"
#include "platform/ui/WebView.h"

#include <algorithm>
#include <climits>

namespace ikw::library {

namespace {

using LayerAction = std::function<void(LibraryLayer&, const UrlAction&)>;

UrlActions::Handler onLayer(const LibraryLookup& library, LayerAction action)
{
    return [library, action = std::move(action)](const UrlAction& request) {
        if (const auto layer = library())
            action(*layer, request);
    };
}

LayerAction picker(std::optional<std::string> mode)
{
    return [mode = std::move(mode)](LibraryLayer& layer, const UrlAction&) { layer.commands().pick(mode); };
}

std::optional<int> pageItem(const UrlAction& action)
{
    const auto page = queryInteger(action.url, "page");
    if (!page || *page < INT_MIN || *page > INT_MAX)
        return std::nullopt;
    return static_cast<int>(*page);
}

// The most covers one request renders.
constexpr std::size_t kCoversPerRequest = 48;

// The history page's rows ask for their covers; the answer reaches the page while it is still there.
void renderCovers(LibraryLayer& layer, const UrlAction& action)
{
    std::vector<std::string> paths = queryPathList(action.url, "p");
    if (paths.empty())
        return;
    layer.recordUsage("history.covers");
    if (paths.size() > kCoversPerRequest)
        paths.resize(kCoversPerRequest);
    // Held weakly: a window closed meanwhile gets nothing.
    const std::weak_ptr<ReviewWC> window = action.window.shared_from_this();
    const std::weak_ptr<ui::WebView> web = action.window.web;
    layer.covers().render(paths, [window, web](const CoverMap& covers) {
        const auto shown = window.lock();
        const auto view = web.lock();
        if (shown && !shown->isClosed() && view && !covers.empty())
            view->evaluate(coversScript(covers));
    });
}

void runEngineOnPath(LibraryLayer& layer, const UrlAction& action)
{
    if (const auto path = checkedPagePath(action.path(), PathNeed::Existing))
        layer.router().runEngine({ *path });
}

}

void registerActions(UrlActions& actions, LibraryLookup library)
{
    actions.add({ "open", "histbrowse" }, onLayer(library, picker(std::nullopt)));
    actions.add("rank", onLayer(library, picker("rank")));
    actions.add("browse", onLayer(library, picker("flip")));
    actions.add("versions", onLayer(library, picker("doc")));
    actions.add({ "sort", "cull" }, onLayer(library, picker("single")));
    actions.add("read", onLayer(library, [](LibraryLayer& layer, const UrlAction&) { layer.commands().pickReaderDoc(); }));
    actions.add("addfolder", onLayer(library, [](LibraryLayer& layer, const UrlAction&) { layer.commands().addFoldersToReview(); }));
    actions.add({ "openrecent", "histopen" }, onLayer(library, runEngineOnPath));
    actions.add("reader", onLayer(library, [](LibraryLayer& layer, const UrlAction& action) {
        if (const auto path = checkedPagePath(action.path(), PathNeed::Existing))
            layer.openers().openReader(*path, ReaderOpening { .page = pageItem(action) });
    }));
    actions.add("openroot", onLayer(library, [](LibraryLayer& layer, const UrlAction& action) {
        if (const auto path = checkedPagePath(action.path(), PathNeed::Absolute))
            layer.commands().openRoot(*path);
    }));
    actions.add("openseparately", onLayer(library, [](LibraryLayer& layer, const UrlAction& action) {
        // Each document may go to the engine's converter: only existing files by absolute path.
        std::vector<std::string> documents = action.paths();
        std::erase_if(documents, [](const std::string& path) { return !checkedPagePath(path, PathNeed::Existing) || !isReaderDoc(path); });
        if (documents.size() > 1)
            layer.router().openEachIndividually(documents);
    }));
    // The history page's rows may name paths that are gone: they need only be absolute.
    actions.add("histforget", onLayer(library, [](LibraryLayer& layer, const UrlAction& action) {
        if (const auto path = checkedPagePath(action.path(), PathNeed::Absolute))
            layer.history().forget(*path);
    }));
    actions.add("histfav", onLayer(library, [](LibraryLayer& layer, const UrlAction& action) {
        const auto path = checkedPagePath(action.path(), PathNeed::Absolute);
        if (!path)
            return;
        const bool now = layer.history().toggleFavorite(*path);
        layer.recordUsage(now ? "history.fav" : "history.unfav");
        action.answer("window.__ikwFavDone && __ikwFavDone(" + jsQuote(*path) + "," + (now ? "true" : "false") + ")");
    }));
    actions.add("histpin", onLayer(library, [](LibraryLayer& layer, const UrlAction& action) {
        const auto path = checkedPagePath(action.path(), PathNeed::Absolute);
        if (!path)
            return;
        const bool now = layer.history().togglePinned(*path);
        layer.recordUsage(now ? "history.pin" : "history.unpin");
        action.answer("window.__ikwPinDone && __ikwPinDone(" + jsQuote(*path) + "," + (now ? "true" : "false") + ")");
    }));
    actions.add("histpinclear", onLayer(library, [](LibraryLayer& layer, const UrlAction& action) {
        std::string removed;
        for (const auto& path : layer.history().clearPins())
            removed += (removed.empty() ? "" : ",") + jsQuote(path);
        layer.recordUsage("history.unpin");
        action.answer("window.__ikwPinsDone && __ikwPinsDone([" + removed + "])");
    }));
    actions.add("histcovers", onLayer(library, renderCovers));
    // Only an existing folder is pinned: the pin shows in the menu and on every page.
    actions.add("pin", onLayer(library, [](LibraryLayer& layer, const UrlAction& action) {
        const auto path = checkedPagePath(action.path(), PathNeed::Existing);
        if (path && realFileSystem().isDirectory(*path))
            layer.recent().pinFolder(*path);
    }));
    // A folder that has gone can still be unpinned.
    actions.add("unpin", onLayer(library, [](LibraryLayer& layer, const UrlAction& action) {
        if (const auto path = checkedPagePath(action.path(), PathNeed::Absolute))
            layer.recent().unpinFolder(*path);
    }));
    // The window's own document, never a path from the page.
    actions.add("restoreversion", onLayer(library, [](LibraryLayer& layer, const UrlAction& action) {
        layer.versions().restorePreviousVersion(action.window);
    }));
    actions.add("multidoc", onLayer(library, [](LibraryLayer& layer, const UrlAction& action) {
        // The word becomes a setting: only the two exact words count.
        const auto mode = action.item("mode");
        if (mode == "together" || mode == "separately")
            layer.documentSets().switchDocumentSet(*mode, action.window);
    }));
}

void registerPanelActions(PanelActions& actions, LibraryLookup library)
{
    actions.add("open", [library](const PanelAction&) {
        if (const auto layer = library())
            layer->commands().pick(std::nullopt);
    });
}

}
