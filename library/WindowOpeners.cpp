#include "library/WindowOpeners.h"

#include "app/Globals.h"
#include "app/Settings.h"
#include "app/WelcomePage.h"
#include "library/DocumentKinds.h"
#include "library/ReaderURL.h"
#include "library/WindowLookup.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"
#include "platform/core/TaskQueue.h"
#include "review/EngineJobs.h"
#include "review/EngineLocator.h"
#include "review/UrlQuery.h"

#include <glib.h>

#include <algorithm>
#include <cstdlib>

namespace ikw::library {

namespace {

const std::set<std::string>& editorProbeExts()
{
    static const std::set<std::string> table { "docx", "rtf", "txt", "md" };
    return table;
}

std::string fileUrlOf(const std::string& path)
{
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    std::string result = uri ? uri : "";
    g_free(uri);
    return result;
}

void applyProbeAnswer(ReviewWC& window, const Json& answer)
{
    const auto editable = answer.find("editable");
    window.editProbe.editProbeEditable = editable != answer.end() && editable->is_boolean() && editable->get<bool>();
    window.editProbe.editProbeWhy.clear();
    const auto why = answer.find("why");
    if (why != answer.end() && why->is_array() && std::all_of(why->begin(), why->end(), [](const Json& item) { return item.is_string(); })) {
        for (const auto& item : *why)
            window.editProbe.editProbeWhy.push_back(item.get<std::string>());
    }
}

// IKW_TEST_AUTOEDIT drives the editor in tests: "1" opens it when the probe listed no reasons, "2"
// and "3" always, 3 s after the probe answered; "3" saves 1.5 s after that. The steps hold the
// window weakly.
void scheduleAutoEdit(const std::shared_ptr<ReviewWC>& window, const ReviewFeatures& features)
{
    const char* value = std::getenv("IKW_TEST_AUTOEDIT");
    const std::string mode = value ? value : "";
    const bool scheduled = (mode == "1" && window->editProbe.editProbeWhy.empty()) || mode == "2" || mode == "3";
    if (!scheduled)
        return;
    std::weak_ptr<ReviewWC> weak = window;
    mainQueue().postAfter(3.0, [weak, &features, save = mode == "3"] {
        const auto target = weak.lock();
        if (!target || target->isClosed() || !features.enterEditorMode)
            return;
        features.enterEditorMode(*target);
        if (!save)
            return;
        mainQueue().postAfter(1.5, [weak, &features] {
            const auto later = weak.lock();
            if (later && !later->isClosed() && features.saveEditorDocNow)
                features.saveEditorDocNow(*later);
        });
    });
}

// The grid page receives this as script text: only JSON, written by our own writer, goes there.
std::optional<std::string> gridPageData(std::optional<std::string> jobOutput)
{
    if (const auto parsed = jobOutput ? parseJson(*jobOutput) : std::nullopt)
        return toJson(*parsed);
    return toJson(Json { { "error", "This file could not be read." } });
}

}

WindowOpeners::WindowOpeners(ReviewServices& services, ReviewWindows& windows, OpenerHooks hooks)
    : m_services(services)
    , m_windows(windows)
    , m_hooks(std::move(hooks))
{
}

// Readers ----------------------------------------------------------------------------------

void WindowOpeners::openReader(const std::string& path, const ReaderOpening& opening)
{
    if (isHandoffDoc(path)) {
        openInDefaultApp(path);
        return;
    }
    if (isGridDoc(path)) {
        openGrid(path);
        return;
    }
    recordRecent({ path });
    const auto window = windowForDocument();
    window->hasContent = true;
    window->isReader = true;
    window->isGrid = false;
    window->sourcePaths = { path };
    window->setPaths = opening.setPaths.size() >= 2 ? opening.setPaths : std::vector<std::string> {};
    window->reader.pendingViewRestore = opening.restoreView;
    window->stampLoadedFile(path);
    showDocumentChrome(*window, path);

    if (lowerExtension(path) != "pdf") {
        ensureLoadingPage(*window);
        window->showSpinner();
        if (editorProbeExts().contains(lowerExtension(path)))
            startEditProbe(window, path);
        startConversion(window, path, opening.page);
        return;
    }
    window->isPdfEdit = true;
    window->editProbe.editProbeEditable = true;
    window->editProbe.editProbeWhy.clear();
    if (m_services.features.snapshotVersionFile)
        m_services.features.snapshotVersionFile(path);
    if (const auto url = readerURL({ readerPdf(*window, path), path, opening.page }))
        window->web->loadUrl(*url);
}

std::string WindowOpeners::readerPdf(ReviewWC& window, const std::string& document) const
{
    return m_hooks.readerPdf ? m_hooks.readerPdf(window, document) : document;
}

void WindowOpeners::startEditProbe(const std::shared_ptr<ReviewWC>& window, const std::string& path)
{
    std::weak_ptr<ReviewWC> weak = window;
    auto& services = m_services;
    editProbe(path, [weak, &services](std::optional<Json> answer) {
        auto target = weak.lock();
        if (!target || target->isClosed() || !answer || !answer->is_object())
            return;
        applyProbeAnswer(*target, *answer);
        if (services.features.pushEditState)
            services.features.pushEditState(*target);
        scheduleAutoEdit(target, services.features);
    });
}

void WindowOpeners::startConversion(const std::shared_ptr<ReviewWC>& window, const std::string& path, std::optional<int> page)
{
    std::weak_ptr<ReviewWC> weak = window;
    convertToPDF(path, [weak, path, page](std::optional<std::string> pdf) {
        auto target = weak.lock();
        if (!target || target->isClosed())
            return;
        const auto url = pdf ? readerURL({ *pdf, path, page }) : std::nullopt;
        if (url) {
            target->web->loadUrl(*url);
            return;
        }
        // What cannot be converted is shown as an ordinary review of the document.
        target->isReader = false;
        target->loadReview({ path }, std::nullopt);
    });
}

void WindowOpeners::reloadReaderInPlace(ReviewWC& window)
{
    const auto path = window.sourcePaths.empty() ? std::string() : window.sourcePaths.front();
    if (path.empty() || lowerExtension(path) == "pdf") {
        // The file changed: the PDF to show may have changed with it (an annotated copy of the
        // old version is not shown over the new one).
        const auto shown = path.empty() ? path : readerPdf(window, path);
        const auto url = shown == urlQuery(window.web->url(), "pdf").value_or(shown) ? std::nullopt : readerURL({ shown, path });
        if (url)
            window.web->loadUrl(*url);
        else
            window.web->reload();
        return;
    }
    ensureLoadingPage(window);
    window.showSpinner();
    std::weak_ptr<ReviewWC> weak = window.weak_from_this();
    convertToPDF(path, [weak, path](std::optional<std::string> pdf) {
        auto target = weak.lock();
        if (!target || target->isClosed())
            return;
        const auto url = pdf ? readerURL({ *pdf, path }) : std::nullopt;
        if (url)
            target->web->loadUrl(*url);
        else
            target->web->reload();
    });
}

// Grids ------------------------------------------------------------------------------------

void WindowOpeners::openGrid(const std::string& path)
{
    recordRecent({ path });
    const auto window = windowForDocument();
    window->hasContent = true;
    window->isReader = false;
    window->isGrid = true;
    window->sourcePaths = { path };
    showDocumentChrome(*window, path);
    ensureLoadingPage(*window);
    window->showSpinner();
    std::weak_ptr<ReviewWC> weak = window;
    runEngineJob(kGridJsonJob, path, [weak](std::optional<std::string> json) {
        auto target = weak.lock();
        if (!target || target->isClosed())
            return;
        target->gridJSON = json.value_or(std::string());
        target->web->loadFile(gridHTMLPath());
    }, {}, gridPageData);
}

// Hand-offs --------------------------------------------------------------------------------

void WindowOpeners::openInDefaultApp(const std::string& path)
{
    recordRecent({ path });
    const auto name = lastPathComponent(path);
    const auto& brand = globals().brand.name;
    auto& workspace = m_services.toolkit->workspace();
    const auto application = workspace.defaultApplicationFor(path);
    if (!application) {
        noteHandoff("No app on this computer opens " + name + ". Install a spreadsheet app, or pick one below.");
    } else if (application->id == std::string(kApplicationId) + ".desktop") {
        noteHandoff(name + " opens in " + brand + ", but " + brand
            + " doesn't read spreadsheets. Pick another app for it below, or set one as the default in Files \u25B8 Get Info.");
    } else {
        workspace.openFile(path);
        noteHandoff(name + " opened in " + application->name + ". " + brand + " reads documents; spreadsheets open in your spreadsheet app.");
        return;
    }
    if (m_hooks.openAppsMenu)
        m_hooks.openAppsMenu(path);
}

void WindowOpeners::noteHandoff(const std::string& message)
{
    const auto key = keyReview(m_windows);
    if (key && key->hasContent) {
        key->evaluate("if(window.ikwToast){ikwToast(" + jsQuote(message) + ")}");
        return;
    }
    const auto page = writeWelcomeFile(message, std::nullopt, {});
    if (key) {
        key->showHome(page);
        key->window().present();
    } else {
        newWindow(page, nullptr);
    }
}

void WindowOpeners::openInBrowser(const std::string& path)
{
    m_services.toolkit->workspace().openUrl(fileUrlOf(path));
}

// Reviews ----------------------------------------------------------------------------------

void WindowOpeners::openReviewDirect(const std::vector<std::string>& paths, const std::optional<std::string>& mode)
{
    const bool isSet = paths.size() >= 2 && std::all_of(paths.begin(), paths.end(), isReaderDoc);
    const auto set = isSet ? paths : std::vector<std::string> {};
    recordRecent(paths);
    const auto window = windowForDocument();
    window->setPaths = set;
    // Runs the engine's launcher over the paths and schedules the window's group sync.
    window->loadReview(paths, mode);
}

// Hooks ------------------------------------------------------------------------------------

void WindowOpeners::recordRecent(const std::vector<std::string>& paths)
{
    if (m_hooks.recordRecent)
        m_hooks.recordRecent(paths);
}

void WindowOpeners::handleFinderExtensionURL(const std::string& url)
{
    if (m_hooks.handleFinderExtensionURL)
        m_hooks.handleFinderExtensionURL(url);
}

void WindowOpeners::noteDidOpen()
{
    if (m_hooks.noteDidOpen)
        m_hooks.noteDidOpen();
}

void WindowOpeners::activate()
{
    if (m_hooks.activate)
        m_hooks.activate();
}

// Windows ----------------------------------------------------------------------------------

std::shared_ptr<ReviewWC> WindowOpeners::windowForDocument()
{
    const auto key = keyReview(m_windows);
    if (key && !key->hasContent)
        return key;
    const auto loading = m_services.newLoadingFile ? std::optional(m_services.newLoadingFile()) : std::nullopt;
    auto window = newWindow(std::nullopt, openInTabs(loadConfig()) ? key : nullptr);
    window->loadingFile = loading;
    window->showSpinner();
    return window;
}

std::shared_ptr<ReviewWC> WindowOpeners::newWindow(const std::optional<std::string>& pagePath, const std::shared_ptr<ReviewWC>& host)
{
    return m_windows.open(pagePath, host.get());
}

void WindowOpeners::showDocumentChrome(ReviewWC& window, const std::string& path)
{
    window.representFile(path);
    window.window().setTabTitle(*window.web, lastPathComponent(path));
    window.window().setTitle(lastPathComponent(path));
    window.window().present();
}

void WindowOpeners::ensureLoadingPage(ReviewWC& window)
{
    if (!window.loadingFile && m_services.newLoadingFile)
        window.loadingFile = m_services.newLoadingFile();
}

}
