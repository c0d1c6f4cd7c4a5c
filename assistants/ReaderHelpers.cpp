#include "assistants/ReaderHelpers.h"

#include "app/Globals.h"
#include "assistants/ReaderOutline.h"
#include "assistants/TextVerification.h"
#include "platform/core/Base64.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"
#include "platform/core/PrivateTemporaryFolder.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/WriteAll.h"
#include "platform/ui/PageScript.h"
#include "platform/ui/WebView.h"
#include "review/PagePath.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

namespace ikw::assistants {

namespace {

constexpr const char* kCouldNotStage = "Could not stage the passages.";

// The script's answer is a JSON object or array, so it goes into the call as it stands.
std::string unbracedCall(const std::string& function, const std::string& argument)
{
    return "if(window." + function + ")try{" + function + "(" + argument + ")}catch(e){}";
}

// A progress line without the script's leading "· ".
std::string progressText(const std::string& line)
{
    constexpr std::string_view dot = "\u00b7 ";
    return line.starts_with(dot) ? line.substr(dot.size()) : line;
}

// The passages to explain: a non-empty array of objects, else nothing.
std::optional<Json> passagesFrom(const std::optional<std::string>& hits)
{
    if (!hits)
        return std::nullopt;
    const std::optional<std::string> bytes = decodeBase64(*hits);
    if (!bytes)
        return std::nullopt;
    std::optional<Json> passages = parseJson(*bytes);
    if (!passages || !passages->is_array() || passages->empty())
        return std::nullopt;
    for (const Json& passage : *passages) {
        if (!passage.is_object())
            return std::nullopt;
    }
    return passages;
}

// The page that asked, held weakly: answers are dropped once the window or its view is gone.
struct Asker {
    std::weak_ptr<ReviewWC> window;
    std::weak_ptr<ui::WebView> web;

    explicit Asker(ReviewWC& of) : window(of.weak_from_this()), web(of.web) {}

    void answer(const std::string& script) const
    {
        const auto shown = window.lock();
        const auto view = web.lock();
        if (shown && !shown->isClosed() && view)
            view->evaluate(script);
    }
};

}

ReaderHelpers::ReaderHelpers(ReaderHelperServices services)
    : m_services(std::move(services))
{
}

void ReaderHelpers::outline(const UrlAction& action)
{
    if (m_services.workers)
        sendOutline(action.window, *m_services.workers, runOutline, "ikwOutline");
}

void ReaderHelpers::aiToc(const UrlAction& action)
{
    ReviewWC& window = action.window;
    if (window.sourcePaths.empty() || window.aiTocRunning)
        return;
    // The document goes to the script as an argument: only an absolute path, never an option.
    const auto document = checkedPagePath(window.sourcePaths.front(), PathNeed::Absolute);
    if (!document)
        return;
    window.aiTocRunning = true;
    const Asker asker(window);
    runOrganize({ "toc", "--doc", *document }, kAIScript,
        [asker](const std::string& line) { asker.answer(unbracedCall("ikwTocProgress", jsQuote(progressText(line)))); },
        [asker](const std::string& answer) {
            // Cleared even when the page is gone, so that the window's next request runs.
            if (const auto shown = asker.window.lock())
                shown->aiTocRunning = false;
            if (const auto view = asker.web.lock())
                view->evaluate(unbracedCall("ikwAiToc", answer));
        });
}

void ReaderHelpers::explain(const UrlAction& action)
{
    const std::optional<Json> passages = passagesFrom(action.item("hits"));
    if (!passages)
        return;
    const Asker asker(action.window);
    const auto staged = stagePassages(toPlainJson(*passages));
    if (!staged) {
        asker.answer(ui::guardedCall("ikwExplain", toJson(Json { { "error", kCouldNotStage } })));
        return;
    }
    const auto answer = [asker, staged = *staged](const std::string& reply) {
        (void)realFileSystem().removeFile(staged);
        if (const auto view = asker.web.lock())
            view->evaluate(ui::guardedCall("ikwExplain", reply));
    };
    std::vector<std::string> arguments { "explain", "--passages", *staged, "--q", action.item("q").value_or("") };
    if (m_services.runAI)
        m_services.runAI(std::move(arguments), answer);
    else
        runAI(std::move(arguments), answer);
}

// A new file only this user can read, under a name nobody can guess or have made beforehand.
std::optional<std::string> ReaderHelpers::stagePassages(const std::string& json) const
{
    const auto folder = m_services.stagingFolder ? m_services.stagingFolder() : privateTemporaryFolder(globals().paths, kProductFolderName);
    if (!folder)
        return std::nullopt;
    auto file = createTemporaryFile(*folder, "ikw-explain-", ".json");
    if (!file)
        return std::nullopt;
    if (!writeAll(file->fd.get(), json)) {
        (void)realFileSystem().removeFile(file->path);
        return std::nullopt;
    }
    return file->path;
}

void ReaderHelpers::verifyText(const UrlAction& action)
{
    if (!m_services.workers)
        return;
    const Asker asker(action.window);
    const std::string q = action.item("q").value_or("");
    action.web().evaluate("window.__ikwVerifyB64 || ''", [weak = weak_from_this(), asker, q](ui::ScriptResult result) {
        const auto self = weak.lock();
        if (!self || !asker.web.lock())
            return;
        std::string base64 = result.value && result.value->is_string() ? result.value->get<std::string>() : std::string();
        self->m_services.workers->post([asker, q, base64 = std::move(base64)] {
            const bool found = base64PdfContainsQuote(base64, q);
            mainQueue().post([asker, found] { asker.answer(ui::guardedCall("ikwVerifyResult", found ? "true" : "false")); });
        });
    });
}

}
