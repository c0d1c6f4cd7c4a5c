#include "review/PageBridge.h"

#include "review/ReviewServices.h"

namespace ikw {

PageBridge::PageBridge(ui::Toolkit& toolkit, SettingsPanelFacts facts)
    : panels(Panels::create(toolkit, std::move(facts)))
    , dispatcher(actions, toolkit.workspace())
{
}

std::shared_ptr<PageBridge> installPageBridge(ReviewServices& services, SettingsPanelFacts facts, ReviewActionParts extraParts)
{
    ui::Toolkit& toolkit = *services.toolkit;
    auto bridge = std::make_shared<PageBridge>(toolkit, std::move(facts));
    std::weak_ptr<PageBridge> weak = bridge;
    extraParts.workspace = &toolkit.workspace();
    extraParts.clipboard = &toolkit.clipboard();
    extraParts.panels = bridge->panels.get();
    if (!extraParts.recordRecent) {
        // The library fills the services' entry when it exists; read it at the time of the action.
        extraParts.recordRecent = [&services](const std::vector<std::string>& paths) {
            if (services.features.recordRecent)
                services.features.recordRecent(paths);
        };
    }
    extraParts.openWindows = [weak] {
        auto self = weak.lock();
        return self && self->openWindows ? self->openWindows() : std::vector<std::shared_ptr<ReviewWC>> {};
    };
    registerActions(bridge->actions, std::move(extraParts));
    registerClipboardMessage(bridge->messages, toolkit.clipboard());
    services.navigationPolicy = [bridge](ReviewWC& window, const ui::NavigationAction& navigation) {
        return bridge->dispatcher.decide(window, navigation);
    };
    services.scriptMessage = [bridge](ReviewWC& window, const Json& body) { bridge->messages.receive(window, body); };
    return bridge;
}

}
