#include "permission-wizard/setup/PermissionActions.h"

#include "review/PanelRouter.h"
#include "review/PanelWC.h"
#include "review/UrlActions.h"

namespace ikw::setup {

void registerActions(UrlActions& actions, PanelActions& panelActions, std::weak_ptr<FullDiskAccess> access,
    std::function<void()> presentWizard)
{
    const auto grant = [access] {
        if (const auto live = access.lock())
            live->grantFullDiskAccess();
    };
    const auto present = [access, presentWizard] {
        if (access.lock() && presentWizard)
            presentWizard();
    };
    actions.add("fda", [grant](const UrlAction&) { grant(); });
    actions.add("finderext", [present](const UrlAction&) { present(); });
    panelActions.add("fda", [grant](const PanelAction&) { grant(); });
    panelActions.add("finderext", [present](const PanelAction&) { present(); });
    panelActions.add("fdaopen", [access](const PanelAction& action) {
        const auto live = access.lock();
        if (!live)
            return;
        live->openFDASettings();
        live->watchForFDA(action.panel.shared_from_this());
    });
}

}
