#pragma once

#include "permission-wizard/KDPermission.h"
#include "permission-wizard/KDPermissionSpec.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::wizard {

struct KDPermissionLintFinding {
    std::string permissionID;
    std::string rule;
    std::string detail;

    // "[id] rule: detail"
    std::string description() const;

    friend bool operator==(const KDPermissionLintFinding&, const KDPermissionLintFinding&) = default;
};

// Judges each permission's copy against fixed editorial rules: three concrete bullets, a
// boundary that states a limit and is not marketing, a benefit line, the cost of skipping an
// optional permission, a real settings deep link, the rows to tick for drag-in permissions and a
// dialog picture for both appearances.
struct KDPermissionSpecLint {
    // Whether the dialog picture `name` resolves for one appearance.
    using ImageResolver = std::function<bool(const std::string& name, bool dark)>;

    // Lower-case phrases that give a boundary away as marketing, tested in this order.
    static constexpr std::array<std::string_view, 7> vagueBoundaryTells {
        "we take your privacy seriously",
        "industry-standard",
        "bank-level",
        "your privacy matters",
        "we value your privacy",
        "secure and private",
        "we respect your privacy",
    };

    // Findings in the order found: specs in order, rules in order within each spec.
    static std::vector<KDPermissionLintFinding> check(const std::vector<KDPermissionSpec>& specs, const ImageResolver& resolveImage);
    // The same over permissions, with the dialog pictures looked up in the bundle.
    static std::vector<KDPermissionLintFinding> check(const std::vector<KDPermission>& permissions);

    // Checks a known-good and a known-bad spec; prints the verdict on standard output and any
    // failure on standard error.
    static bool selftest();
    // The self-test's known-good and known-bad specs.
    static KDPermissionSpec selftestControl();
    static KDPermissionSpec selftestDecoy();
};

}
