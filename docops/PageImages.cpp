#include "docops/PageImages.h"

#include "platform/core/Json.h"
#include "platform/ui/PageScript.h"
#include "review/EngineJobs.h"
#include "review/PagePath.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

#include <memory>
#include <optional>

namespace ikw::docops {

namespace {

// The engine's answer re-written by our JSON writer, so that only data reaches the page; done
// on the job's own thread.
std::optional<std::string> asJson(std::optional<std::string> output)
{
    if (!output || output->empty())
        return std::nullopt;
    const std::optional<Json> answer = parseJson(*output);
    if (!answer)
        return std::nullopt;
    return toJson(*answer);
}

void renderNext(std::weak_ptr<ReviewWC> weakWindow, std::string path, std::vector<std::string> prefetch, EngineRunOptions options)
{
    std::string input = path;
    runEngineJob(kRenderPagesJob, std::move(input),
        [weakWindow, path = std::move(path), prefetch = std::move(prefetch), options](std::optional<std::string> answer) mutable {
            const std::shared_ptr<ReviewWC> window = weakWindow.lock();
            if (!window)
                return;
            window->webView().evaluate(answer ? ui::guardedCall("pagesReady", *answer) : pagesFallbackScript(path));
            if (prefetch.empty())
                return;
            std::string next = std::move(prefetch.front());
            prefetch.erase(prefetch.begin());
            renderNext(weakWindow, std::move(next), std::move(prefetch), options);
        },
        options, asJson);
}

}

std::string pagesFallbackScript(const std::string& path)
{
    return ui::guardedCall("pagesReady", "{path:" + jsQuote(path) + ",pages:[],needs_converter:false}");
}

void renderFilePages(ReviewWC& window, std::string path, std::vector<std::string> prefetch, EngineRunOptions options)
{
    renderNext(window.weak_from_this(), std::move(path), std::move(prefetch), options);
}

void registerPageImageActions(UrlActions& actions)
{
    actions.add("pages", [](const UrlAction& action) {
        const std::optional<std::string> path = checkedPagePath(action.path(), PathNeed::Absolute);
        if (!path)
            return;
        std::vector<std::string> prefetch;
        for (std::string& further : jsonStringList(action.item("prefetch").value_or("")))
            if (checkedPagePath(further, PathNeed::Absolute))
                prefetch.push_back(std::move(further));
        renderFilePages(action.window, *path, std::move(prefetch));
    });
}

}
