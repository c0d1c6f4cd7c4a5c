#include "review/PanelWC.h"

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
    std::string_view brandName, Router router)
{
    const PanelLayout layout = panelLayout(kind, brandName);
    auto web = toolkit.makeWebView(toolkit.makeWebContext(),
        ui::WebViewOptions { .width = layout.width, .height = layout.height, .scriptMessages = false });
    auto window = toolkit.makeWindow(ui::WindowOptions {
        .width = layout.width, .height = layout.height, .title = layout.title, .resizable = false });
    std::shared_ptr<PanelWC> panel(new PanelWC(std::move(kind), web, window));
    window->addTab(web, layout.title);
    std::weak_ptr<PanelWC> weak = panel;
    web->setNavigationPolicy([weak, router = std::move(router)](const ui::NavigationAction& action) {
        auto self = weak.lock();
        if (!self || !router)
            return self ? ui::NavigationPolicy::Allow : ui::NavigationPolicy::Cancel;
        return router(*self, action);
    });
    web->loadFile(htmlPath);
    window->present();
    return panel;
}

}
