#pragma once

#include "permission-wizard/GrantMap.h"
#include "permission-wizard/KDPermission.h"
#include "permission-wizard/KDWizardProduct.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::wizard {

// One line of the summary's list.
struct SummaryRow {
    std::string id;
    std::string title;
    std::string benefit;
    bool granted = false;
    bool isOptional = false; // carries the "Optional" tag
};

// The wizard's first screen: what the product needs and why, with "Get Started". A value rebuilt
// on every redraw; it changes nothing itself.
struct SummaryScreen {
    KDWizardProduct product;
    std::vector<KDPermission> permissions;
    GrantMap granted;
    std::function<void()> start; // "Get Started"

    std::string title() const;
    std::string subtitle() const;
    std::string note() const;
    std::vector<SummaryRow> rows() const;
};

// "<name> needs one permission from the system. ..." or the plural form with the count.
std::string summarySubtitle(std::string_view productName, std::size_t count);

}
