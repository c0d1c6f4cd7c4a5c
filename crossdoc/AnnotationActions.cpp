#include "crossdoc/AnnotationActions.h"

#include "crossdoc/AnnotationExport.h"
#include "crossdoc/AnnotationSidecars.h"
#include "crossdoc/LinksMarkdown.h"
#include "crossdoc/LinksStore.h"
#include "docops/FilePanels.h"
#include "docops/ReviewPageOps.h"
#include "library/DocumentKinds.h"
#include "platform/core/Base64.h"
#include "platform/core/Log.h"
#include "platform/core/Paths.h"
#include "platform/pdf/Document.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

#include <memory>

namespace ikw::crossdoc {

namespace {

constexpr const char* kAutosaveGlobal = "window.__ikwAutosaveB64 || ''";
constexpr const char* kAnnotGlobal = "window.__ikwAnnotB64 || ''";

constexpr const char* kCouldNotPrepare = "window.__ikwToast && __ikwToast('Could not prepare the PDF')";
constexpr const char* kSaveFailed = "window.__ikwToast && __ikwToast('Save failed')";
constexpr const char* kSavedAnnotated = "window.__ikwToast && __ikwToast('Saved annotated PDF')";

std::string notesToast(const std::string& message)
{
    return "if(window.ikwNotesToast){ikwNotesToast('" + message + "')}";
}

using Bytes = std::shared_ptr<const std::string>;

std::string documentOf(const ReviewWC& window)
{
    return window.sourcePaths.empty() ? std::string() : window.sourcePaths.front();
}

std::string textOf(const ui::ScriptResult& result)
{
    return result.value && result.value->is_string() ? result.value->get<std::string>() : std::string();
}

// A password-protected PDF is still a PDF: the reader produced it from one.
bool opensAsPdf(const std::string& bytes)
{
    return pdf::Document::openBytes(bytes).status != pdf::OpenResult::Status::Failed;
}

// The page's PDF, when its Base64 decodes strictly and the bytes open as a PDF.
Bytes pdfFromPage(const std::string& base64)
{
    auto bytes = base64.empty() ? std::nullopt : decodeBase64(base64);
    if (!bytes || !opensAsPdf(*bytes))
        return nullptr;
    return std::make_shared<const std::string>(std::move(*bytes));
}

void writeSidecar(FileSystem& files, const std::string& base64, const std::string& target)
{
    const auto bytes = pdfFromPage(base64);
    if (!bytes) {
        logLine("[ikw] annotations: the page's annotated copy is not a PDF; nothing saved");
        return;
    }
    if (const auto written = files.replaceFile(target, *bytes); !written)
        logLine("[ikw] annotations: annotated copy not saved: " + written.message());
}

std::string countedAnnotations(std::size_t count)
{
    return std::to_string(count) + " annotation" + (count == 1 ? "" : "s");
}

// The save panel of the Markdown export and what follows it: the file written whole in place of
// any earlier one, shown in the file manager, and a toast in the page that asked.
void savePanelText(ReviewWC& window, const std::string& suggested, std::string content, std::size_t count, const AnnotationServices& services)
{
    ui::FilePanelOptions panel;
    panel.suggestedName = suggested;
    panel.extensions = { "md", "txt" };
    std::weak_ptr<ui::WebView> sender = window.web;
    services.toolkit->dialogs().savePanel(&window.window(), panel,
        [sender, content = std::move(content), count, services](std::optional<std::string> path) {
            if (!path || path->empty())
                return;
            const auto written = services.fileSystem->replaceFile(*path, content);
            if (written)
                services.toolkit->workspace().revealFile(*path);
            else
                logLine("[ikw] annotations: export not saved: " + written.message());
            if (const auto view = sender.lock())
                view->evaluate(written ? notesToast("Exported " + countedAnnotations(count)) : notesToast("Could not save the file"));
        });
}

// Back on the main thread with the records of the page's PDF (none: it did not read as one).
void offerExport(ReviewWC& window, const std::string& name, const std::string& document, const std::optional<AnnotationExport>& exported,
    const AnnotationServices& services)
{
    if (!exported) {
        window.web->evaluate(notesToast("Could not read the document"));
        return;
    }
    const auto links = linksInvolving(document);
    if (exported->items.empty() && links.empty()) {
        window.web->evaluate(notesToast("No annotations to export yet"));
        return;
    }
    // The name comes from the page: only its last component names the file offered.
    savePanelText(window, lastPathComponent(name) + " \u2014 annotations.md", exported->markdown + linksExportMarkdown(links),
        exported->items.size() + links.size(), services);
}

}

std::string readerPdfFor(ReviewWC& window, const std::string& document)
{
    const auto signature = annotSourceSig(document);
    window.annotations.loadedSig = signature;
    if (!signature.empty()) {
        const auto sidecar = joinPath(annotSidecarDir(), annotSidecarName(document, signature));
        if (realFileSystem().exists(sidecar))
            return sidecar;
    }
    if (const auto stale = annotStaleSidecars(document); !stale.empty())
        logLine(staleSidecarsLogLine(stale.size(), document));
    return document;
}

void noteReaderShowsDocument(ReviewWC& window, const std::string& document)
{
    window.annotations.loadedSig = annotSourceSig(document);
}

void autosaveAnnotatedPDF(ReviewWC& window, const AnnotationServices& services)
{
    const std::string document = documentOf(window);
    if (library::lowerExtension(document) != "pdf")
        return;
    // Taken now: a copy asked for as the window closes is still written.
    const auto loaded = window.annotations.loadedSig;
    window.web->evaluate(kAutosaveGlobal, [document, loaded, services](ui::ScriptResult result) {
        const std::string base64 = textOf(result);
        if (base64.empty())
            return;
        // The page shows the version it was given; stored under another version's name it would
        // be shown as that version from then on.
        const auto signature = annotSourceSig(document);
        if (!loaded || *loaded != signature) {
            logLine("[ikw] annotations: " + lastPathComponent(document) + " is not the version the reader loaded; autosave skipped");
            return;
        }
        const auto target = joinPath(annotSidecarDir(), annotSidecarName(document, signature));
        services.documents->post([files = services.fileSystem, base64, target] { writeSidecar(*files, base64, target); });
    });
}

void exportAnnotatedPDF(const UrlAction& action, const AnnotationServices& services)
{
    const std::string name = action.item("name").value_or("Document (annotated).pdf");
    std::weak_ptr<ReviewWC> weak = action.window.weak_from_this();
    action.window.web->evaluate(kAnnotGlobal, [weak, name, services](ui::ScriptResult result) {
        const auto window = weak.lock();
        if (!window || window->isClosed())
            return;
        services.documents->post([weak, name, services, base64 = textOf(result)] {
            mainQueue().post([weak, name, services, bytes = pdfFromPage(base64)] {
                const auto window = weak.lock();
                if (!window || window->isClosed())
                    return;
                if (!bytes) {
                    window->web->evaluate(kCouldNotPrepare);
                    return;
                }
                docops::PageOpServices panelServices;
                panelServices.toolkit = services.toolkit;
                const auto host = docops::makeReviewFileOpHost(*window, std::move(panelServices));
                docops::savePanelPDF(host, name, [weak, bytes, services](std::optional<std::string> path) {
                    if (!path)
                        return;
                    const auto written = services.fileSystem->replaceFile(*path, *bytes);
                    if (!written)
                        logLine("[ikw] annotations: annotated copy not saved: " + written.message());
                    if (const auto window = weak.lock(); window && !window->isClosed())
                        window->web->evaluate(written ? kSavedAnnotated : kSaveFailed);
                });
            });
        });
    });
}

void exportAnnotations(const UrlAction& action, const AnnotationServices& services)
{
    const std::string name = action.item("name").value_or("Document");
    const std::string document = documentOf(action.window);
    std::weak_ptr<ReviewWC> weak = action.window.weak_from_this();
    action.window.web->evaluate(kAnnotGlobal, [weak, name, document, services](ui::ScriptResult result) {
        const auto window = weak.lock();
        if (!window || window->isClosed())
            return;
        services.documents->post([weak, name, document, services, base64 = textOf(result)] {
            std::optional<AnnotationExport> exported;
            if (const auto bytes = base64.empty() ? std::nullopt : decodeBase64(base64)) {
                if (const auto opened = pdf::Document::fromBytes(*bytes))
                    exported = runAnnotationExport(*opened, lastPathComponent(name) + ".pdf");
            }
            mainQueue().post([weak, name, document, services, exported = std::move(exported)] {
                if (const auto window = weak.lock(); window && !window->isClosed())
                    offerExport(*window, name, document, exported, services);
            });
        });
    });
}

void registerAnnotationActions(UrlActions& actions, const AnnotationServices& services)
{
    actions.add("autosaveannot", [services](const UrlAction& action) { autosaveAnnotatedPDF(action.window, services); });
    actions.add("saveannot", [services](const UrlAction& action) { exportAnnotatedPDF(action, services); });
    actions.add("exportannots", [services](const UrlAction& action) { exportAnnotations(action, services); });
}

}
