#include "legal/FormFill.h"

#include "assistants/ReaderOutline.h"
#include "docops/AtomicReplacement.h"
#include "docops/ConfirmationGate.h"
#include "legal/FormFields.h"
#include "platform/core/Base64.h"
#include "platform/core/Json.h"
#include "platform/core/Log.h"
#include "platform/core/Paths.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/Text.h"
#include "platform/pdf/Document.h"
#include "platform/ui/WebView.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

#include <algorithm>
#include <filesystem>

namespace ikw::legal {
namespace {

constexpr const char* kFilledGlobal = "window.__ikwFilledB64 || ''";

// One fill in progress: the page, held weakly, and what it sent.
struct Fill {
    std::weak_ptr<ReviewWC> window;
    std::weak_ptr<ui::WebView> web;
    std::string target;
    std::string bytes;
    int filled = 0;

    std::string name() const { return lastPathComponent(target); }
    std::shared_ptr<ReviewWC> controller() const
    {
        auto shown = window.lock();
        return shown && !shown->isClosed() && !web.expired() ? shown : nullptr;
    }
    void toast(const std::string& message, bool error) const
    {
        if (const auto view = controller() ? web.lock() : nullptr)
            view->evaluate("if(window.ikwToast){try{ikwToast(" + jsQuote(message) + "," + (error ? "true" : "false") + ")}catch(e){}}");
    }
};

std::filesystem::path canonical(const std::string& path)
{
    std::error_code error;
    const auto resolved = std::filesystem::weakly_canonical(path, error);
    return error ? std::filesystem::path() : resolved;
}

bool lies(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    const auto [end, _] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return end == folder.end();
}

std::string savedMessage(int filled)
{
    if (filled < 1)
        return "Saved the form";
    return "Saved " + std::to_string(filled) + " field" + (filled == 1 ? "" : "s");
}

void write(const std::shared_ptr<Fill>& fill, const FormServices& services)
{
    services.pageOps.rewrites->submit(fill->target, [fill, files = services.files] {
        const bool written = docops::atomicWriteData(fill->bytes, fill->target, *files);
        mainQueue().post([fill, written] {
            const auto controller = fill->controller();
            if (!controller)
                return;
            if (!written) {
                fill->toast("Couldn\u2019t save \u201C" + fill->name() + "\u201D", true);
                return;
            }
            // The change poll must not take this write for someone else's.
            controller->stampLoadedFile(fill->target);
            fill->toast(savedMessage(fill->filled), false);
        });
    });
}

void confirm(const std::shared_ptr<Fill>& fill, const FormServices& services)
{
    const docops::FileOpQuestion question {
        .action = "fillform",
        .verb = "Save",
        .title = "Save your entries to \u201C" + fill->name() + "\u201D?",
        .message = "This writes the filled-in fields into the saved file. Choose Save a copy to keep a separate blank original.",
    };
    docops::confirmFileOp(docops::makeReviewFileOpHost(*fill->controller(), services.pageOps), question, [fill, services] {
        if (fill->controller())
            write(fill, services);
    });
}

}

std::optional<std::string> fillTarget(const ReviewWC& window, const std::optional<std::string>& requested)
{
    const std::string target = requested ? *requested : window.sourcePaths.empty() ? std::string() : window.sourcePaths.front();
    if (target.empty())
        return std::nullopt;
    std::error_code error;
    const auto resolved = canonical(target);
    const bool isPdf = std::filesystem::path(target).is_absolute() && asciiLowercase(target).ends_with(".pdf")
        && !resolved.empty() && std::filesystem::is_regular_file(resolved, error);
    const bool belongs = isPdf && std::ranges::any_of(window.sourcePaths, [&](const std::string& source) {
        const auto place = canonical(source);
        return !place.empty() && (place == resolved || (std::filesystem::is_directory(place, error) && lies(resolved, place)));
    });
    if (!belongs) {
        logLine("[ikw] fillform: refused to write " + target + ": not a PDF of this window");
        return std::nullopt;
    }
    return target;
}

void sendFormInfo(ReviewWC& window, const FormServices& services)
{
    if (services.workers)
        assistants::sendOutline(window, *services.workers, formSummary, "ikwFormInfo");
}

void fillForm(const UrlAction& action, const FormServices& services)
{
    const auto target = fillTarget(action.window, action.path());
    if (!target)
        return;
    auto fill = std::make_shared<Fill>();
    fill->window = action.window.weak_from_this();
    fill->web = action.window.web;
    fill->target = *target;
    action.window.webView().evaluate(kFilledGlobal, [fill, services](ui::ScriptResult result) {
        const auto controller = fill->controller();
        if (!controller)
            return;
        const auto text = result.value && result.value->is_string() ? result.value->get<std::string>() : std::string();
        auto bytes = text.empty() ? std::nullopt : decodeBase64(text);
        const auto document = bytes ? pdf::Document::fromBytes(*bytes) : std::nullopt;
        if (!document) {
            if (const auto view = fill->web.lock())
                view->evaluate(std::string(unreadableFilledFormScript));
            return;
        }
        fill->filled = filledCount(formFields(*document));
        fill->bytes = std::move(*bytes);
        controller->okToOverwriteInPlace(fill->target, [fill, services](bool overwrite) {
            if (!fill->controller())
                return;
            if (!overwrite) {
                fill->toast("Save cancelled \u2014 \u201C" + fill->name() + "\u201D is newer on disk", true);
                return;
            }
            confirm(fill, services);
        });
    });
}

void registerActions(UrlActions& actions, FormServices services)
{
    actions.add("forminfo", [services](const UrlAction& action) { sendFormInfo(action.window, services); });
    actions.add("fillform", [services](const UrlAction& action) { fillForm(action, services); });
}

}
