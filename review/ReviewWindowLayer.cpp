#include "review/ReviewWindowLayer.h"

#include "app/AppDelegate.h"
#include "review/DefaultAppOpener.h"
#include "review/EngineLauncher.h"
#include "review/ResourceSchemes.h"
#include "review/ReviewWindows.h"
#include "review/TrustedRoots.h"

namespace ikw {

namespace {

struct ReviewWindowLayer {
    EngineLauncher engine;
    ReviewServices services;
    std::unique_ptr<ReviewWindows> windows;
};

}

std::shared_ptr<ReviewWindowRegistry> makeReviewWindowLayer(ui::Toolkit& toolkit, const std::function<void(ReviewServices&)>& configure)
{
    auto layer = std::make_shared<ReviewWindowLayer>();
    auto& services = layer->services;
    services.toolkit = &toolkit;
    services.webContext = toolkit.makeWebContext();
    services.trustedRoots = defaultTrustedRoots();
    // Review windows share this context, and with it the PDF and page-image schemes.
    review::registerResourceSchemes(*services.webContext, services.trustedRoots);
    services.shellEngine = [engine = &layer->engine](std::vector<std::string> arguments) { engine->shellEngine(std::move(arguments)); };
    services.newLoadingFile = newLoadingFile;
    services.cancelRun = [engine = &layer->engine](const std::string& loadingFile) { cancelReview(*engine, loadingFile); };
    services.resolvedScheme = [] {
        const auto* delegate = appDelegate();
        return delegate ? delegate->resolvedScheme() : std::string("light");
    };
    services.quit = [] {
        if (auto* delegate = appDelegate())
            delegate->terminate();
    };
    services.openOutside = [&workspace = toolkit.workspace()](const std::string& path) { openWithDefaultApp(workspace, path); };
    services.showWelcomeTab = [](ReviewWC& host) {
        if (auto* delegate = appDelegate())
            delegate->showWelcome(&host.webView());
    };
    if (configure)
        configure(services);
    layer->windows = std::make_unique<ReviewWindows>(services);
    return std::shared_ptr<ReviewWindowRegistry>(layer, layer->windows.get());
}

}
