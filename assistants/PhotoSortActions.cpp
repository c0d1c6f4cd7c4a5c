// The sort page's requests: set aside, collect, bake and the mode switch.

#include "assistants/PhotoSorting.h"

#include "app/Globals.h"
#include "assistants/PhotoAnswers.h"
#include "assistants/PhotoBake.h"
#include "assistants/PhotoMap.h"
#include "library/LibraryLayer.h"
#include "library/WindowLookup.h"
#include "platform/core/Log.h"
#include "platform/core/TaskQueue.h"
#include "review/EngineProcess.h"
#include "review/EngineRunner.h"
#include "review/UrlActions.h"

namespace ikw::assistants {

namespace {

using Answer = std::function<void(const std::string& answer)>;

// Sends answers to `function` in the page that asked, while its view exists.
Answer answerTo(const UrlAction& action, std::string function)
{
    return [web = std::weak_ptr<ui::WebView>(action.window.web), function = std::move(function)](const std::string& answer) {
        if (const auto view = web.lock())
            view->evaluate(photoCallbackScript(function, answer));
    };
}

std::string itemOf(const UrlAction& action, std::string_view name)
{
    return action.item(name).value_or("");
}

}

void PhotoSorting::handleCulmoraApply(const UrlAction& action)
{
    const std::string folder = itemOf(action, "dir");
    const std::string names = itemOf(action, "rejb64");
    if (folder.empty() || names.empty())
        return;
    const Answer answer = answerTo(action, "culmoraApplied");
    const auto identifiers = photoIdentifiersFor(folder, names);
    if (!identifiers) {
        runCulmora({ "apply", "--dir", folder, "--reject-b64", names }, answer);
        return;
    }
    if (identifiers->empty()) {
        answer(setAsideAnswer({}));
        return;
    }
    changeAlbums([ids = *identifiers](photos::PhotoLibrary& library) { return library.addToAlbum(ids, kSetAsideAlbum); },
        [answer](const photos::AlbumChange& change) { answer(setAsideAnswer(change)); });
}

void PhotoSorting::handleCulmoraCollect(const UrlAction& action)
{
    const std::string folder = itemOf(action, "dir");
    const std::string album = itemOf(action, "album");
    const std::string names = itemOf(action, "filesb64");
    if (folder.empty() || album.empty() || names.empty())
        return;
    const bool removal = itemOf(action, "op") == "remove";
    const Answer answer = answerTo(action, "culmoraCollected");
    const auto identifiers = photoIdentifiersFor(folder, names);
    if (!identifiers) {
        std::vector<std::string> arguments { removal ? "collectremove" : "collectapply", "--album", album, "--dest", itemOf(action, "dest"),
            "--names-b64", names };
        if (!removal)
            arguments.insert(arguments.end(), { "--dir", folder });
        runCulmora(std::move(arguments), answer);
        return;
    }
    if (!removal && identifiers->empty()) {
        answer(collectAnswer(false, {}, album));
        return;
    }
    changeAlbums(
        [ids = *identifiers, album, removal](photos::PhotoLibrary& library) {
            return removal ? library.removeFromAlbum(ids, album) : library.addToAlbum(ids, album);
        },
        [answer, album, removal](const photos::AlbumChange& change) { answer(collectAnswer(removal, change, album)); });
}

void PhotoSorting::handleCulmoraBake(const UrlAction& action)
{
    // The page is kept until it has its answer, even when its window closes meanwhile.
    runOnOwnThread([web = action.window.web, home = globals().home]() mutable {
        std::string answer = runPhotoBake(home);
        // The view moves to the main thread, where its last reference may go.
        mainQueue().post([web = std::move(web), answer = std::move(answer)] { web->evaluate(photoCallbackScript("culmoraBaked", answer)); });
    });
}

void PhotoSorting::handleCulmoraMode(const UrlAction& action)
{
    std::string mode = itemOf(action, "to");
    if (mode.empty())
        mode = "collect";
    if (mode == "cull")
        mode = "sort";
    if (mode != "sort" && mode != "collect")
        return;
    const auto layer = m_services.library();
    std::shared_ptr<ReviewWC> window = layer ? layer->windows().find(action.web()) : nullptr;
    if (!window && layer)
        window = library::keyReviewWC(layer->windows());
    if (!window) {
        const std::size_t count = layer ? layer->windows().windows().size() : 0;
        logLine("Culmora mode\u2192" + mode + ": no review window found (windows=" + std::to_string(count) + ")");
        return;
    }
    if (window->sourcePaths.empty()) {
        logLine("Culmora mode\u2192" + mode + ": sourcePaths empty, cannot re-shell");
        return;
    }
    const std::vector<std::string> sources = window->sourcePaths;
    logLine("Culmora mode\u2192" + mode + ": re-shelling " + std::to_string(sources.size()) + " source(s)");
    window->loadReview(sources, mode);
}

}
