#pragma once

#include "permission-wizard/setup/FullDiskAccess.h"

#include <functional>
#include <memory>

namespace ikw {
class PanelActions;
class UrlActions;
}

namespace ikw::setup {

// The page actions of the permission set-up, on review pages and on panels: "fda" opens the Full
// Disk Access panel, "finderext" the permission wizard (`presentWizard`); the Full Disk Access
// panel's "fdaopen" opens the system settings and watches that panel for the grant. They act
// while `access` lives.
void registerActions(UrlActions& actions, PanelActions& panelActions, std::weak_ptr<FullDiskAccess> access,
    std::function<void()> presentWizard);

}
