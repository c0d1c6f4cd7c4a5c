#include "legal/SignedCopy.h"

#include "docops/FilePanels.h"
#include "platform/core/Base64.h"
#include "platform/core/Json.h"
#include "platform/imaging/PngEncoder.h"
#include "platform/pdf/Document.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WebView.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"
#include "review/UrlQuery.h"

namespace ikw::legal {
namespace {

constexpr int kSignatureImageMaxWidth = 1600;
constexpr const char* kSignOutGlobal = "window.__ikwSignOut || ''";

// One signed-copy save: the page that asked, held weakly, and what it asked for.
struct SignSave {
    std::weak_ptr<ReviewWC> window;
    std::weak_ptr<ui::WebView> web;
    std::string name;
    long long placements = 1;
    std::string form;
    std::string bytes;

    std::shared_ptr<ReviewWC> controller() const
    {
        auto shown = window.lock();
        return shown && !shown->isClosed() ? shown : nullptr;
    }
    // The signing toast, while the window and its page are there.
    void toast(std::string_view message, bool warning) const
    {
        const auto view = controller() ? web.lock() : nullptr;
        if (view)
            view->evaluate("if(window.__ikwToast){__ikwToast(" + jsQuote(message) + ", " + (warning ? "true" : "false") + ")}");
    }
};

// Strict Base64 of something that opens as a PDF; anything else is no signed copy.
std::optional<std::string> signedPdfBytes(const ui::ScriptResult& result)
{
    if (!result.value || !result.value->is_string() || result.value->get<std::string>().empty())
        return std::nullopt;
    auto bytes = decodeBase64(result.value->get<std::string>());
    if (!bytes || !pdf::Document::fromBytes(*bytes))
        return std::nullopt;
    return bytes;
}

void reportUnreadableCopy(const SignSave& save, ui::Dialogs& dialogs)
{
    save.toast(unreadableSignedCopyMessage, false);
    ui::AlertContent alert;
    alert.message = std::string(signedCopyAlertMessage);
    alert.informativeText = std::string(signedCopyAlertText);
    alert.keepAbove = true;
    dialogs.alert(nullptr, alert, [](ui::AlertAnswer) {});
}

void writeSignedCopy(const std::shared_ptr<SignSave>& save, const std::string& path, const SignedCopyServices& services)
{
    // Atomic: a failed write leaves a file already there as it was.
    if (!services.files->replaceFile(path, save->bytes)) {
        save->toast(signWriteFailedMessage, false);
        return;
    }
    services.pageOps.toolkit->workspace().revealFile(path);
    if (const auto view = save->web.lock())
        view->evaluate("if(window.__ikwSignDone){__ikwSignDone()}");
    save->toast(signedCopySummary(save->placements, save->form), save->form == "failed");
}

}

std::string signedCopySummary(long long placements, std::string_view form)
{
    if (form == "failed")
        return std::string(unflattenedFormMessage);
    std::string summary = "Saved. ";
    summary += placements == 1 ? std::string("The signature is part of the page now")
                               : "All " + std::to_string(placements) + " placements are part of the pages now";
    if (form == "flat")
        summary += ", and the form fields are gone";
    return summary + " \u2014 your original is untouched.";
}

void signImportImage(ReviewWC& window, const SignedCopyServices& services)
{
    ui::FilePanelOptions panel;
    panel.message = std::string(chooseSignatureImageMessage);
    panel.extensions = { "png", "jpg", "jpeg", "heic", "heif", "tiff", "tif", "gif", "webp", "bmp" };
    panel.chooseFiles = true;
    panel.chooseDirectories = false;
    panel.allowsMultiple = false;
    services.pageOps.toolkit->dialogs().openPanel(&window.window(), panel,
        [weakWindow = window.weak_from_this(), weakView = std::weak_ptr(window.web)](std::optional<std::vector<std::string>> chosen) {
            const auto controller = weakWindow.lock();
            const auto view = weakView.lock();
            if (!controller || controller->isClosed() || !view || !chosen || chosen->empty())
                return;
            if (const auto base64 = imaging::signPngBase64(chosen->front(), kSignatureImageMaxWidth)) {
                // Base64 text has no quote or backslash: it goes into the literal as it is.
                view->evaluate("if(window.ikwSignImportNative){ikwSignImportNative('data:image/png;base64," + *base64 + "')}");
            } else {
                view->evaluate("if(window.__ikwToast){__ikwToast('Could not read that image.')}");
            }
        });
}

void signSave(const UrlAction& action, const SignedCopyServices& services)
{
    auto save = std::make_shared<SignSave>();
    save->window = action.window.weak_from_this();
    save->web = action.window.web;
    save->name = action.item("name").value_or("Document");
    save->placements = queryInteger(action.url, "n").value_or(1);
    save->form = action.item("form").value_or("none");
    action.window.webView().evaluate(kSignOutGlobal, [save, services](ui::ScriptResult result) {
        const auto controller = save->controller();
        if (!controller)
            return;
        auto bytes = signedPdfBytes(result);
        if (!bytes) {
            reportUnreadableCopy(*save, services.pageOps.toolkit->dialogs());
            return;
        }
        save->bytes = std::move(*bytes);
        const auto host = docops::makeReviewFileOpHost(*controller, services.pageOps);
        docops::savePanelPDF(host, save->name + " (signed).pdf", [save, services](std::optional<std::string> path) {
            if (!save->controller())
                return;
            if (!path) {
                save->toast(signPanelCancelledMessage, false);
                return;
            }
            writeSignedCopy(save, *path, services);
        });
    });
}

}
