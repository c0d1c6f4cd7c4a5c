#pragma once

#include "permission-wizard/GrantMap.h"
#include "permission-wizard/KDPermission.h"
#include "permission-wizard/KDWizardProduct.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::wizard {

// The wizard's last screen: whether everything is on, what is still off and what that costs,
// with "Done". A value rebuilt on every redraw; it changes nothing itself.
struct DoneScreen {
    KDWizardProduct product;
    GrantMap granted;
    std::vector<KDPermission> permissions;
    std::function<void()> close; // "Done"

    // The permissions not granted, in list order (skipped and optional ones included).
    std::vector<KDPermission> outstanding() const;

    std::string title() const;
    std::string message() const;
    std::string footnote() const;
};

// What works and what is still off, naming the outstanding permissions' titles in order.
std::string doneMessage(std::string_view productName, const std::vector<std::string>& outstandingTitles);

}
