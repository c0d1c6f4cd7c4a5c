#pragma once

#include "permission-wizard/KDPermission.h"
#include "permission-wizard/KDWizardBrand.h"
#include "permission-wizard/KDWizardProduct.h"

#include <memory>
#include <vector>

namespace ikw::ui {
class Workspace;
}

// The application's permission wizard: its product, its brand and its one permission, the file
// manager extension (optional: the application's own entries work without it).
namespace ikw::setup::IkwPermissions {

// The brand's name; the slug "inkwarden" names the state folder (~/.inkwarden) and the skipped set.
wizard::KDWizardProduct product();
wizard::KDWizardBrand brand();
// Built afresh on each call. The extension's request shows its folder through `workspace`; without
// one the request does nothing.
std::vector<wizard::KDPermission> permissions(std::shared_ptr<ui::Workspace> workspace = {});

// The wizard's window height, then its configuration (the state file written when `writeState`).
void configure(bool writeState, std::shared_ptr<ui::Workspace> workspace = {});
// Rewrites the state file (the application became active: the extension may have come or gone).
void refreshRecordedState();

}
