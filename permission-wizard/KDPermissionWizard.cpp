#include "permission-wizard/KDPermissionWizard.h"

#include "permission-wizard/KDPermissionSpecLint.h"
#include "permission-wizard/StandardStreams.h"

#include <algorithm>
#include <optional>

namespace ikw::wizard {

namespace {

struct Configuration {
    KDWizardProduct product { "App", "app" };
    double contentHeight = 700;
    std::optional<KDWizardBrand> brand;
    std::vector<KDPermission> permissions;
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

}

const KDWizardProduct& KDPermissionWizard::product() { return configuration().product; }
void KDPermissionWizard::setProduct(KDWizardProduct product) { configuration().product = std::move(product); }
double KDPermissionWizard::contentHeight() { return configuration().contentHeight; }
void KDPermissionWizard::setContentHeight(double height) { configuration().contentHeight = height; }

void KDPermissionWizard::configure(KDWizardProduct product, KDWizardBrand brand, std::vector<KDPermission> permissions,
    [[maybe_unused]] bool writeState)
{
    auto& shared = configuration();
    shared.product = std::move(product);
    shared.brand = std::move(brand);
    shared.permissions = std::move(permissions);

    // One write, so the block is not interleaved with other diagnostics.
    if (const auto findings = KDPermissionSpecLint::check(shared.permissions); !findings.empty())
        writeStandardError(findingsReport(findings));

    // The state file for other tools is written by the wizard's controller, which is not part of
    // this library yet; until then `writeState` asks for nothing more.
}

std::int32_t KDPermissionWizard::runLintCLI(const std::vector<std::string>& arguments)
{
    if (std::find(arguments.begin(), arguments.end(), "--selftest") != arguments.end())
        return KDPermissionSpecLint::selftest() ? 0 : 1;

    const auto& permissions = configuration().permissions;
    if (permissions.empty()) {
        writeStandardError(
            "permission-lint: NOT MEASURED (configure() has not run, or this app declares no permissions)\n");
        return 2;
    }
    const auto findings = KDPermissionSpecLint::check(permissions);
    if (!findings.empty()) {
        std::string lines;
        for (const auto& finding : findings)
            lines += finding.description() + "\n";
        writeStandardOutput(lines);
        return 1;
    }
    writeStandardOutput("permission-lint: " + std::to_string(permissions.size()) + " permission(s) meet the bar\n");
    return 0;
}

}
