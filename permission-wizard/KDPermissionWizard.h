#pragma once

#include "permission-wizard/KDPermission.h"
#include "permission-wizard/KDWizardBrand.h"
#include "permission-wizard/KDWizardProduct.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ikw::wizard {

// The wizard's one entry point for a host: a process-wide configuration, used on the main thread.
class KDPermissionWizard {
public:
    KDPermissionWizard() = delete;

    // "App" / "app" until configured.
    static const KDWizardProduct& product();
    static void setProduct(KDWizardProduct product);
    // The window's content height in points.
    static double contentHeight();
    static void setContentHeight(double height);

    // Replaces any earlier configuration and prints the copy lint's findings on standard error;
    // findings never stop a configuration.
    static void configure(KDWizardProduct product, KDWizardBrand brand, std::vector<KDPermission> permissions,
        bool writeState);

    // The command-line lint over the configured permissions (or the self-test when the arguments
    // hold "--selftest"). Returns the exit status: 0 pass, 1 findings or self-test failure,
    // 2 nothing configured to measure.
    static std::int32_t runLintCLI(const std::vector<std::string>& arguments);
};

}
