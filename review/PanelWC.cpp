#include "review/PanelWC.h"

#include "app/AppDelegate.h"
#include "app/Appearance.h"
#include "review/DefaultAppOpener.h"
#include "review/PageLink.h"
#include "review/TrustedRoots.h"

namespace ikw {

PanelLayout panelLayout(std::string_view kind, std::string_view brandName)
{
    const std::string brand(brandName);
    if (kind == "settings")
        return { 900, 700, "Settings" };
    if (kind == "help")
        return { 680, 740, brand + " Help" };
    if (kind == "fda")
        return { 680, 752, "Full Disk Access" };
    // "about", "agreements" and any other kind.
    return { 680, 560, "About " + brand };
}

std::shared_ptr<PanelWC> PanelWC::create(ui::Toolkit& toolkit, std::string kind, const std::string& htmlPath,
    std::string_view brandName, Router router, std::vector<std::string> trustedRoots)
{
    const PanelLayout layout = panelLayout(kind, brandName);
    auto web = toolkit.makeWebView(toolkit.makeWebContext(),
        ui::WebViewOptions { .width = layout.width, .height = layout.height, .scriptMessages = false });
    auto window = toolkit.makeWindow(ui::WindowOptions {
        .width = layout.width, .height = layout.height, .title = layout.title, .resizable = false });
    std::shared_ptr<PanelWC> panel(new PanelWC(std::move(kind), web, window));
    window->addTab(web, layout.title);
    const auto* delegate = appDelegate();
    panel->setBackground(reviewBG(delegate && delegate->effectiveIsDark()));
    std::weak_ptr<PanelWC> weak = panel;
    web->setNavigationPolicy([weak, router = std::move(router), roots = trustedRoots](const ui::NavigationAction& action) {
        auto self = weak.lock();
        if (!self)
            return ui::NavigationPolicy::Cancel;
        // WebKit does not say which frame asks; the panel's document decides.
        const bool isAction = classifyPageLink(action.url).kind == PageLink::Kind::Action;
        if (isAction && !isTrustedPageUrl(self->web().documentUrl(), roots))
            return ui::NavigationPolicy::Cancel;
        return router ? router(*self, action) : ui::NavigationPolicy::Allow;
    });
    web->setResponsePolicy([roots = std::move(trustedRoots), &workspace = toolkit.workspace()](const ui::DocumentResponse& document) {
        const auto verdict = judgeDocument(document, roots);
        if (verdict.handOff)
            openWithDefaultApp(workspace, *verdict.handOff);
        return verdict.policy;
    });
    std::weak_ptr<ui::Window> weakWindow = window;
    window->addShortcut("<Control>w", [weakWindow] {
        if (auto frame = weakWindow.lock())
            frame->requestClose();
    });
    window->addShortcut("<Control>q", [] {
        if (auto* delegate = appDelegate())
            delegate->terminate();
    });
    web->loadFile(htmlPath);
    window->present();
    return panel;
}

}
