#include "legal/BatesProduction.h"

#include "app/Globals.h"
#include "app/MenuCommands.h"
#include "docops/ConfirmationGate.h"
#include "legal/BatesFolder.h"
#include "legal/BatesSettings.h"
#include "legal/BatesStamper.h"
#include "library/LibraryLayer.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"
#include "platform/core/TaskQueue.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WebView.h"
#include "review/EngineLocator.h"
#include "review/EnginePageURL.h"
#include "review/PageInjection.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace ikw::legal {

// The page that asked, held weakly: answers go to it only while its window is open.
struct BatesProduction::Target {
    std::weak_ptr<ReviewWC> window;
    std::weak_ptr<ui::WebView> web;

    static Target of(ReviewWC& controller) { return { controller.weak_from_this(), controller.web }; }

    std::shared_ptr<ReviewWC> controller() const
    {
        auto shown = window.lock();
        return shown && !shown->isClosed() && !web.expired() ? shown : nullptr;
    }
    std::shared_ptr<ui::WebView> page() const { return controller() ? web.lock() : nullptr; }

    void answer(std::string_view function, const Json& payload) const
    {
        if (const auto view = page())
            orgInject(*view, function, payload);
    }
    void done(const Json& payload) const { answer("ikwBatesDone", payload); }
    void fail(std::string_view message) const { done(Json { { "error", message } }); }
};

namespace {

constexpr const char* kSettingsGlobal = "window.__ikwBatesConfig || ''";

std::string progressScript(const std::string& message, std::int64_t index, std::int64_t total)
{
    return "if(window.ikwBatesProgress)try{ikwBatesProgress(" + jsQuote(message) + "," + std::to_string(index) + ","
        + std::to_string(total) + ")}catch(e){}";
}

// A run that carries an error is answered with it, even when some copies were written (the
// manifest or load file may be missing).
Json runAnswer(const BatesStamper::BatesRunResult& result)
{
    if (result.error)
        return Json { { "error", *result.error } };
    if (result.stampedCount == 0)
        return Json { { "error", BatesStamper::nothingStampedMessage } };
    const auto skipped = std::ranges::count_if(result.documents, &BatesStamper::BatesDocResult::skipped);
    const auto failed = std::ranges::count_if(result.documents, [](const auto& doc) { return doc.error.has_value(); });
    return Json {
        { "stamped", result.stampedCount },
        { "pages", result.pageCount },
        { "skipped", skipped },
        { "failed", failed },
        { "beginLabel", result.beginLabel },
        { "endLabel", result.endLabel },
        { "outputDir", result.outputDir },
        { "manifest", result.manifestPath },
        { "csv", result.csvPath },
    };
}

// One key per output folder, however the page spelled the path.
std::string busyKeyOf(const std::string& outputDir)
{
    std::error_code error;
    const auto canonical = std::filesystem::weakly_canonical(outputDir, error);
    return error ? outputDir : canonical.string();
}

std::string confirmTitle(std::size_t count)
{
    return "Stamp " + std::to_string(count) + " document" + (count == 1 ? "" : "s") + "?";
}

std::string confirmMessage(std::size_t count, const std::string& folder)
{
    return "Inkwarden will write Bates-stamped copies of " + std::to_string(count) + " document" + (count == 1 ? "" : "s")
        + " into a \u201CBates-Stamped\u201D folder inside \u201C" + lastPathComponent(folder)
        + "\u201D. Your originals are not modified, and every assigned range is recorded in an audit manifest.";
}

}

std::string batesHTMLPath()
{
    return enginePath("app/bates.html", "bates.html");
}

std::optional<std::string> batesURL(const std::string& folder, const std::string& theme)
{
    return enginePageURL(batesHTMLPath(), { { "folder", folder }, { "theme", theme } });
}

BatesProduction::BatesProduction(BatesProductionServices services)
    : m_services(std::move(services))
{
}

// Opening ----------------------------------------------------------------------------------

void BatesProduction::openBates()
{
    ui::FilePanelOptions panel;
    panel.prompt = "Choose";
    panel.message = chooseBatesFolderMessage;
    panel.chooseFiles = false;
    panel.chooseDirectories = true;
    panel.allowsMultiple = false;
    m_services.pageOps.toolkit->dialogs().openPanel(nullptr, panel,
        [weak = weak_from_this()](std::optional<std::vector<std::string>> chosen) {
            const auto self = weak.lock();
            if (self && chosen && !chosen->empty())
                self->openBatesFolder(chosen->front());
        });
}

void BatesProduction::openBatesFolder(const std::string& folder)
{
    const auto layer = m_services.library ? m_services.library() : nullptr;
    if (!layer)
        return;
    layer->openers().recordRecent({ folder });
    const auto window = layer->openers().windowForDocument();
    window->hasContent = true;
    window->isBates = true;
    window->isOrganize = false;
    window->isReader = false;
    window->sourcePaths = { folder };
    window->representFile(folder);
    const std::string name = lastPathComponent(folder);
    window->window().setTabTitle(*window->web, name);
    window->window().setTitle(name);
    window->window().present();
    const std::string theme = m_services.resolvedScheme ? m_services.resolvedScheme() : std::string("light");
    if (const auto url = batesURL(folder, theme))
        window->web->loadUrl(*url);
}

// The summary ------------------------------------------------------------------------------

void BatesProduction::batesInit(const UrlAction& action)
{
    const std::string folder = resolveBatesFolder(action.item("folder"), action.window.sourcePaths);
    m_services.workers->post([folder, version = globals().appInfo.shortVersion, target = Target::of(action.window)] {
        // Every PDF of the folder is opened to count its pages.
        Json summary = batesSummary(folder, version);
        mainQueue().post([target, summary = std::move(summary)] { target.answer("ikwBatesInit", summary); });
    });
}

// Runs -------------------------------------------------------------------------------------

void BatesProduction::batesApply(const UrlAction& action)
{
    const std::string folder = resolveBatesFolder(action.item("folder"), action.window.sourcePaths);
    // A relative folder would be taken against wherever the program runs.
    if (folder.empty() || folder.front() != '/')
        return;
    const Target target = Target::of(action.window);
    action.window.web->evaluate(kSettingsGlobal, [weak = weak_from_this(), target, folder](ui::ScriptResult result) {
        const auto self = weak.lock();
        if (!self || !target.controller())
            return;
        if (!result.value || !result.value->is_string() || result.value->get_ref<const std::string&>().empty())
            return;
        const auto settings = parseJson(result.value->get_ref<const std::string&>());
        if (!settings || !settings->is_object())
            return;
        self->applySettings(target, folder, *settings);
    });
}

void BatesProduction::applySettings(const Target& target, const std::string& folder, const Json& settings)
{
    const PageBatesSettings read = readBatesSettings(settings);
    if (read.problem) {
        target.fail(*read.problem);
        return;
    }
    std::vector<std::string> files = batesInputList(folder);
    if (files.empty()) {
        target.fail(noBatesInputsMessage);
        return;
    }
    const std::string outputDir = batesOutputDir(folder);
    if (m_busyOutputDirs.contains(busyKeyOf(outputDir))) {
        target.fail(batesRunBusyMessage);
        return;
    }
    const auto controller = target.controller();
    if (!controller)
        return;
    const docops::FileOpQuestion question {
        .action = "bates",
        .verb = "Stamp",
        .title = confirmTitle(files.size()),
        .message = confirmMessage(files.size(), folder),
    };
    docops::confirmFileOp(docops::makeReviewFileOpHost(*controller, m_services.pageOps), question,
        [weak = weak_from_this(), target, files = std::move(files), outputDir, config = read.config]() mutable {
            const auto self = weak.lock();
            if (self && target.controller())
                self->startRun(target, std::move(files), outputDir, config);
        },
        [target] { target.fail(batesCancelledMessage); });
}

void BatesProduction::startRun(const Target& target, std::vector<std::string> files, const std::string& outputDir, const BatesConfig& config)
{
    // Another confirmation may have started a run into this folder while this one was asked.
    const std::string busyKey = busyKeyOf(outputDir);
    if (!m_busyOutputDirs.insert(busyKey).second) {
        target.fail(batesRunBusyMessage);
        return;
    }
    m_services.workers->post([weak = weak_from_this(), target, files = std::move(files), outputDir, config, busyKey] {
        const auto progress = [target](const std::string& message, std::int64_t index, std::int64_t total) {
            mainQueue().post([target, script = progressScript(message, index, total)] {
                if (const auto view = target.page())
                    view->evaluate(script);
            });
        };
        const auto result = BatesStamper::stamp(files, outputDir, config, std::nullopt, progress);
        // After every progress block, so the page hears the outcome last.
        mainQueue().post([weak, target, answer = runAnswer(result), busyKey] {
            if (const auto self = weak.lock())
                self->runFinished(busyKey);
            target.done(answer);
        });
    });
}

void BatesProduction::runFinished(const std::string& busyKey)
{
    m_busyOutputDirs.erase(busyKey);
}

// Registration -----------------------------------------------------------------------------

void registerActions(UrlActions& actions, std::weak_ptr<BatesProduction> production)
{
    actions.add("bates", [production](const UrlAction&) {
        if (const auto bates = production.lock())
            bates->openBates();
    });
    actions.add("batesready", [production](const UrlAction& action) {
        if (const auto bates = production.lock())
            bates->batesInit(action);
    });
    actions.add("batesapply", [production](const UrlAction& action) {
        if (const auto bates = production.lock())
            bates->batesApply(action);
    });
}

void registerMenuCommands(MenuCommands& commands, std::weak_ptr<BatesProduction> production)
{
    commands.add("openBates:", [production](const MenuUse&) {
        if (const auto bates = production.lock())
            bates->openBates();
    });
}

}
