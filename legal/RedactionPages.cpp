#include "legal/RedactionPages.h"

#include "app/Globals.h"
#include "app/MenuCommands.h"
#include "docops/ConfirmationGate.h"
#include "docops/FilePanels.h"
#include "legal/RedactionAudit.h"
#include "library/LibraryLayer.h"
#include "platform/core/Base64.h"
#include "platform/core/Paths.h"
#include "platform/core/Text.h"
#include "platform/pdf/Document.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WebView.h"
#include "review/EnginePageURL.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

namespace ikw::legal {

// One save in progress: what the page sent so far and the page, held weakly.
struct RedactionPages::Save {
    std::weak_ptr<ReviewWC> window;
    std::weak_ptr<ui::WebView> web;
    std::string name;
    std::int64_t regions = 0;
    std::string bytes;
    std::string auditText;

    std::shared_ptr<ReviewWC> controller() const
    {
        auto shown = window.lock();
        return shown && !shown->isClosed() && !web.expired() ? shown : nullptr;
    }
    void tell(std::string_view message) const
    {
        if (const auto view = controller() ? web.lock() : nullptr)
            view->evaluate("if(window.ikwRedactToast){ikwRedactToast(" + jsQuote(message) + ")}");
    }
};

namespace {

constexpr const char* kOutGlobal = "window.__ikwRedactOut || ''";
constexpr const char* kAuditGlobal = "window.__ikwRedactAudit || ''";

std::string stringResult(const ui::ScriptResult& result)
{
    return result.value && result.value->is_string() ? result.value->get<std::string>() : std::string();
}

// Strict Base64 of something that opens as a PDF; anything else is no copy to save.
std::optional<std::string> redactedPdfBytes(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    auto bytes = decodeBase64(text);
    if (!bytes || !pdf::Document::fromBytes(*bytes))
        return std::nullopt;
    return bytes;
}

}

std::string redactHTMLPath()
{
    return globals().paths.resourcesDir + "/engine/redact.html";
}

std::optional<std::string> redactURL(const std::string& file, const std::string& theme)
{
    return enginePageURL(redactHTMLPath(), {
        { "file", file }, { "name", lastPathComponent(file) }, { "ver", globals().appInfo.shortVersion }, { "theme", theme } });
}

RedactionPages::RedactionPages(RedactionServices services)
    : m_services(std::move(services))
{
}

// Opening ----------------------------------------------------------------------------------

void RedactionPages::openRedact()
{
    ui::FilePanelOptions panel;
    panel.prompt = "Redact";
    panel.message = chooseRedactPdfMessage;
    panel.extensions = { "pdf" };
    panel.chooseFiles = true;
    panel.chooseDirectories = false;
    panel.allowsMultiple = false;
    m_services.pageOps.toolkit->dialogs().openPanel(nullptr, panel,
        [weak = weak_from_this()](std::optional<std::vector<std::string>> chosen) {
            const auto self = weak.lock();
            if (self && chosen && !chosen->empty())
                self->openRedactFile(chosen->front());
        });
}

void RedactionPages::openRedactFile(const std::string& pdf)
{
    const auto layer = m_services.library ? m_services.library() : nullptr;
    if (!layer)
        return;
    layer->openers().recordRecent({ pdf });
    const auto window = layer->openers().windowForDocument();
    window->hasContent = true;
    window->isRedact = true;
    window->isOrganize = false;
    window->isReader = false;
    window->sourcePaths = { pdf };
    window->representFile(pdf);
    const std::string name = lastPathComponent(pdf);
    window->window().setTabTitle(*window->web, name);
    window->window().setTitle(name);
    window->window().present();
    const std::string theme = m_services.resolvedScheme ? m_services.resolvedScheme() : std::string("light");
    if (const auto url = redactURL(pdf, theme))
        window->web->loadUrl(*url);
}

void RedactionPages::redactCurrent(const UrlAction& action)
{
    const auto& sources = action.window.sourcePaths;
    if (!sources.empty() && asciiLowercase(sources.front()).ends_with(".pdf"))
        openRedactFile(sources.front());
}

// Saving -----------------------------------------------------------------------------------

void RedactionPages::redactSave(const UrlAction& action)
{
    auto save = std::make_shared<Save>();
    save->window = action.window.weak_from_this();
    save->web = action.window.web;
    save->name = action.item("name").value_or("Document");
    save->regions = parseQueryInteger(action.item("n").value_or("")).value_or(0);
    action.window.web->evaluate(kOutGlobal, [weak = weak_from_this(), save](ui::ScriptResult result) {
        const auto self = weak.lock();
        if (!self || !save->controller())
            return;
        auto bytes = redactedPdfBytes(stringResult(result));
        if (!bytes) {
            save->tell(unreadableRedactionMessage);
            return;
        }
        save->bytes = std::move(*bytes);
        self->readAudit(save);
    });
}

void RedactionPages::readAudit(std::shared_ptr<Save> save)
{
    const auto view = save->web.lock();
    if (!view)
        return;
    view->evaluate(kAuditGlobal, [weak = weak_from_this(), save](ui::ScriptResult result) {
        const auto self = weak.lock();
        if (!self || !save->controller())
            return;
        save->auditText = stringResult(result);
        self->confirm(save);
    });
}

void RedactionPages::confirm(std::shared_ptr<Save> save)
{
    const docops::FileOpQuestion question {
        .action = "redact",
        .verb = "Save Redacted Copy",
        .title = "Save \u201C" + save->name + " (redacted).pdf\u201D?",
        .message = "Inkwarden saves a FLATTENED copy: the text under every box is removed (not just covered) and the "
                   "document\u2019s metadata is stripped. The pages become images, so nothing under the redactions can be "
                   "recovered. Your original file is untouched.",
    };
    docops::confirmFileOp(docops::makeReviewFileOpHost(*save->controller(), m_services.pageOps), question,
        [weak = weak_from_this(), save] {
            const auto self = weak.lock();
            if (self && save->controller())
                self->choosePlace(save);
        },
        [save] { save->tell(redactNotConfirmedMessage); });
}

void RedactionPages::choosePlace(std::shared_ptr<Save> save)
{
    const auto host = docops::makeReviewFileOpHost(*save->controller(), m_services.pageOps);
    docops::savePanelPDF(host, save->name + " (redacted).pdf", [weak = weak_from_this(), save](std::optional<std::string> path) {
        const auto self = weak.lock();
        if (!self || !save->controller())
            return;
        if (!path) {
            save->tell(redactPanelCancelledMessage);
            return;
        }
        self->write(save, *path);
    });
}

void RedactionPages::write(const std::shared_ptr<Save>& save, const std::string& path)
{
    // Atomic: a failed write leaves a file already there as it was.
    if (!m_services.files->replaceFile(path, save->bytes)) {
        save->tell(redactWriteFailedMessage);
        return;
    }
    writeRedactAudit(path, save->regions, save->auditText, *m_services.files);
    m_services.pageOps.toolkit->workspace().revealFile(path);
    save->tell(redactSavedMessage(save->regions));
}

// Registration -----------------------------------------------------------------------------

void registerActions(UrlActions& actions, std::weak_ptr<RedactionPages> redaction)
{
    actions.add("redact", [redaction](const UrlAction&) {
        if (const auto pages = redaction.lock())
            pages->openRedact();
    });
    actions.add("redactcurrent", [redaction](const UrlAction& action) {
        if (const auto pages = redaction.lock())
            pages->redactCurrent(action);
    });
    actions.add("redactsave", [redaction](const UrlAction& action) {
        if (const auto pages = redaction.lock())
            pages->redactSave(action);
    });
}

void registerMenuCommands(MenuCommands& commands, std::weak_ptr<RedactionPages> redaction)
{
    commands.add("openRedact:", [redaction](const MenuUse&) {
        if (const auto pages = redaction.lock())
            pages->openRedact();
    });
}

}
