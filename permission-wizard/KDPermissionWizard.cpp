#include "permission-wizard/KDPermissionWizard.h"

#include "permission-wizard/KDPermissionSpecLint.h"
#include "permission-wizard/KDPermissionState.h"
#include "permission-wizard/KDPermissionWizardView.h"
#include "permission-wizard/StandardStreams.h"
#include "permission-wizard/WizardPresenter.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace ikw::wizard {

namespace {

struct Configuration {
    // Held in an optional: a host's defaults store can be replaced but not assigned.
    std::optional<KDWizardHost> host;
    KDWizardProduct product { "App", "app" };
    double contentHeight = 700;
    std::optional<KDWizardBrand> brand;
    std::vector<KDPermission> permissions;
    // The one window and the view it draws; a title-bar close only hides the window.
    std::unique_ptr<WizardWindow> window;
    std::shared_ptr<KDPermissionWizardView> view;
};

Configuration& configuration()
{
    static Configuration shared;
    return shared;
}

std::string findingsReport(const std::vector<KDPermissionLintFinding>& findings)
{
    std::string report = "PermissionWizard spec findings:\n";
    for (const auto& finding : findings)
        report += "  " + finding.description() + "\n";
    return report;
}

std::string skippedKey()
{
    return "KDPermissionWizard.skipped." + KDPermissionWizard::product().slug;
}

void writeState(const std::set<std::string>& skipped)
{
    KDPermissionState::write(KDPermissionWizard::permissions(), skipped);
}

}

void KDPermissionWizard::setHost(KDWizardHost host)
{
    configuration().host.emplace(std::move(host));
}

const KDWizardHost& KDPermissionWizard::host()
{
    static const KDWizardHost none;
    const auto& stored = configuration().host;
    return stored ? *stored : none;
}

void KDPermissionWizard::reset()
{
    // The window and its view go first, while the host they may use still exists.
    auto& shared = configuration();
    shared.window.reset();
    shared.view.reset();
    shared.host.reset();
    shared.product = { "App", "app" };
    shared.contentHeight = 700;
    shared.brand.reset();
    shared.permissions.clear();
}

const KDWizardProduct& KDPermissionWizard::product() { return configuration().product; }
const std::optional<KDWizardBrand>& KDPermissionWizard::brand() { return configuration().brand; }
void KDPermissionWizard::setProduct(KDWizardProduct product) { configuration().product = std::move(product); }
double KDPermissionWizard::contentHeight() { return configuration().contentHeight; }
void KDPermissionWizard::setContentHeight(double height) { configuration().contentHeight = height; }
const std::vector<KDPermission>& KDPermissionWizard::permissions() { return configuration().permissions; }

void KDPermissionWizard::configure(KDWizardProduct product, KDWizardBrand brand, std::vector<KDPermission> permissions,
    bool writeStateFile)
{
    auto& shared = configuration();
    shared.product = std::move(product);
    shared.brand = std::move(brand);
    shared.permissions = std::move(permissions);

    // One write, so the block is not interleaved with other diagnostics.
    if (const auto findings = KDPermissionSpecLint::check(shared.permissions); !findings.empty())
        writeStandardError(findingsReport(findings));

    if (writeStateFile)
        writeState(skippedIDs());
}

std::set<std::string> KDPermissionWizard::skippedIDs()
{
    const auto& defaults = host().userDefaults;
    if (!defaults)
        return {};
    const auto stored = defaults->stringArray(skippedKey());
    if (!stored)
        return {};
    return { stored->begin(), stored->end() };
}

bool KDPermissionWizard::allGranted()
{
    return std::all_of(permissions().begin(), permissions().end(),
        [](const KDPermission& permission) { return permission.isOptional || (permission.probe && permission.probe()); });
}

void KDPermissionWizard::presentIfNeeded()
{
    const auto skipped = skippedIDs();
    bool anyOutstanding = false;
    // Every permission is probed, in order, also once one is known to be outstanding.
    for (const auto& permission : permissions()) {
        const bool granted = permission.probe && permission.probe();
        if (!granted && !skipped.contains(permission.id))
            anyOutstanding = true;
    }
    if (anyOutstanding)
        present();
    else
        writeState(skipped);
}

void KDPermissionWizard::present()
{
    auto& shared = configuration();
    if (!shared.brand)
        return;
    if (shared.window) {
        shared.window->bringForward();
        return;
    }
    const auto presenter = host().presenter;
    if (!presenter)
        return;

    auto view = std::make_shared<KDPermissionWizardView>(KDPermissionWizardView::Inputs {
        .brand = *shared.brand,
        .product = shared.product,
        .permissions = shared.permissions,
        .onClose = [] { KDPermissionWizard::close(); },
        .initialStep = std::nullopt,
        .forcedGrants = std::nullopt,
        .forcedDidAsk = false,
        .subscribeBecameActive = host().subscribeBecameActive,
    });
    const WizardWindowSpec spec {
        .title = shared.product.name + " Permissions",
        .contentWidth = 660,
        .contentHeight = shared.contentHeight,
    };
    auto window = presenter->makeWindow(view, spec);
    if (!window)
        return;
    shared.window = std::move(window);
    shared.view = std::move(view);
    shared.view->appear();
}

void KDPermissionWizard::close()
{
    writeState(skippedIDs());
    // Moved out first: destroying the view may run code that asks the controller about its window.
    auto& shared = configuration();
    auto window = std::move(shared.window);
    auto view = std::move(shared.view);
    window.reset();
    view.reset();
}

void KDPermissionWizard::storeSkipped(const std::set<std::string>& skipped)
{
    if (auto& host = configuration().host; host && host->userDefaults)
        host->userDefaults->set(skippedKey(), Json(std::vector<std::string>(skipped.begin(), skipped.end())));
    writeState(skipped);
}

void KDPermissionWizard::markSkipped(const std::string& id)
{
    auto skipped = skippedIDs();
    skipped.insert(id);
    storeSkipped(skipped);
}

void KDPermissionWizard::clearSkipped(const std::string& id)
{
    auto skipped = skippedIDs();
    skipped.erase(id);
    storeSkipped(skipped);
}

void KDPermissionWizard::recordStateChanged()
{
    writeState(skippedIDs());
}

std::int32_t KDPermissionWizard::runLintCLI(const std::vector<std::string>& arguments)
{
    if (std::find(arguments.begin(), arguments.end(), "--selftest") != arguments.end())
        return KDPermissionSpecLint::selftest() ? 0 : 1;

    const auto& configured = permissions();
    if (configured.empty()) {
        writeStandardError(
            "permission-lint: NOT MEASURED (configure() has not run, or this app declares no permissions)\n");
        return 2;
    }
    const auto findings = KDPermissionSpecLint::check(configured);
    if (!findings.empty()) {
        std::string lines;
        for (const auto& finding : findings)
            lines += finding.description() + "\n";
        writeStandardOutput(lines);
        return 1;
    }
    writeStandardOutput("permission-lint: " + std::to_string(configured.size()) + " permission(s) meet the bar\n");
    return 0;
}

}
