#include "docops/EditorMode.h"

#include "platform/imaging/PngEncoder.h"
#include "review/UrlActions.h"
#include "review/ReviewWC.h"

namespace ikw::docops {

void editImportImage(ReviewWC& window, ui::WebView& sender, ui::Toolkit& toolkit)
{
    ui::FilePanelOptions panel;
    panel.message = "Choose an image to place on the page.";
    panel.extensions = { "png", "jpg", "jpeg", "heic", "heif", "tiff", "tif", "gif", "webp", "bmp" };
    panel.chooseFiles = true;
    // The page that asked gets the answer; a tab's view is the window's own.
    std::weak_ptr<ui::WebView> weakSender = &sender == window.web.get() ? window.web : nullptr;
    toolkit.dialogs().openPanel(&window.window(), panel, [weakWindow = window.weak_from_this(), weakSender](std::optional<std::vector<std::string>> chosen) {
        const auto controller = weakWindow.lock();
        const auto view = weakSender.lock();
        if (!controller || !view || !chosen || chosen->empty())
            return;
        if (const auto base64 = imaging::signPngBase64(chosen->front())) {
            // Base-64 text has no quote or backslash: it goes into the literal as it is.
            view->evaluate("if(window.ikwImageImportNative){ikwImageImportNative('data:image/png;base64," + *base64 + "')}");
        } else {
            view->evaluate("if(window.__ikwToast){__ikwToast('Could not read that image.')}");
        }
    });
}

void registerEditorActions(UrlActions& actions, const EditorServices& services)
{
    actions.add("editimage", [services](const UrlAction& action) {
        if (services.toolkit)
            editImportImage(action.window, action.web(), *services.toolkit);
    });
}

}
