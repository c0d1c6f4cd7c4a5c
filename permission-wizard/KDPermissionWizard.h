#pragma once

#include "permission-wizard/KDPermission.h"
#include "permission-wizard/KDWizardBrand.h"
#include "permission-wizard/KDWizardHost.h"
#include "permission-wizard/KDWizardProduct.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ikw::wizard {

// The wizard's one entry point for a host: a process-wide configuration, the skipped set, the one
// wizard window and the state file. Main thread only.
class KDPermissionWizard {
public:
    KDPermissionWizard() = delete;

    // What the host program hands in, once, before anything else.
    static void setHost(KDWizardHost host);
    static const KDWizardHost& host();
    // Back to the state at launch: no host, no configuration, no window. For tests.
    static void reset();

    // "App" / "app" until configured.
    static const KDWizardProduct& product();
    static void setProduct(KDWizardProduct product);
    // The window's content height in points.
    static double contentHeight();
    static void setContentHeight(double height);
    // The configured brand; nothing until configured.
    static const std::optional<KDWizardBrand>& brand();
    // The configured permissions, in configuration order.
    static const std::vector<KDPermission>& permissions();

    // Replaces any earlier configuration and prints the copy lint's findings on standard error;
    // findings never stop a configuration. Writes the state file when `writeState` is true.
    static void configure(KDWizardProduct product, KDWizardBrand brand, std::vector<KDPermission> permissions,
        bool writeState);

    // The ids the user skipped for the configured product (empty when the stored value is not a
    // list of strings).
    static std::set<std::string> skippedIDs();
    // Every configured permission is granted now or optional.
    static bool allGranted();

    // At launch: shows the wizard when a permission is neither granted nor skipped; otherwise only
    // rewrites the state file.
    static void presentIfNeeded();
    // Shows the wizard's window, or brings the one already made forward. Nothing without a brand
    // (nothing configured) or without a presenter.
    static void present();
    // Writes the state file, then destroys the window and forgets it.
    static void close();

    // Store the whole skipped set and rewrite the state file, also when nothing changed.
    static void markSkipped(const std::string& id);
    static void clearSkipped(const std::string& id);
    // Rewrites the state file (the host calls it when the application becomes active).
    static void recordStateChanged();

    // The command-line lint over the configured permissions (or the self-test when the arguments
    // hold "--selftest"). Returns the exit status: 0 pass, 1 findings or self-test failure,
    // 2 nothing configured to measure.
    static std::int32_t runLintCLI(const std::vector<std::string>& arguments);

private:
    static void storeSkipped(const std::set<std::string>& skipped);
};

}
