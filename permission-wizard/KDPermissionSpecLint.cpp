#include "permission-wizard/KDPermissionSpecLint.h"

#include "permission-wizard/LintText.h"
#include "permission-wizard/StandardStreams.h"

#include <algorithm>
#include <set>

namespace ikw::wizard {

namespace {

using Findings = std::vector<KDPermissionLintFinding>;

constexpr std::string_view kDeepLinkScheme = "x-apple.systempreferences";

// Collects the findings of one spec under its id.
class SpecJudge {
public:
    SpecJudge(const KDPermissionSpec& spec, Findings& findings)
        : m_spec(spec)
        , m_findings(findings)
    {
    }

    void report(std::string rule, std::string detail)
    {
        m_findings.push_back({ m_spec.id, std::move(rule), std::move(detail) });
    }

    void checkBullets()
    {
        const auto& bullets = m_spec.bullets;
        if (bullets.size() != 3) {
            report("three-bullets", "needs exactly 3 concrete bullets, has " + std::to_string(bullets.size())
                    + ". One benefit line is not enough; three specifics is what converts.");
        }
        const bool anyBlank = std::any_of(bullets.begin(), bullets.end(),
            [](const std::string& bullet) { return trimUnicode(bullet).empty(); });
        if (anyBlank)
            report("three-bullets", "a bullet is blank");
    }

    void checkBoundary()
    {
        const std::string_view boundary = trimUnicode(m_spec.boundary);
        if (boundary.empty()) {
            report("privacy-boundary",
                "no boundary sentence. This is the highest-value element in the flow: say what the app will NOT do.");
            return;
        }
        const std::string lowered = lowercasedAscii(boundary);
        const auto contains = [&lowered](std::string_view phrase) { return lowered.find(phrase) != std::string::npos; };
        constexpr std::string_view limitWords[] = { "never", "only", "does not", "no " };
        if (std::none_of(std::begin(limitWords), std::end(limitWords), contains)) {
            report("privacy-boundary",
                "boundary does not state a limit. A boundary names what is NOT done ('only\u2026, never\u2026'), it "
                "does not describe the feature.");
        }
        const auto& tells = KDPermissionSpecLint::vagueBoundaryTells;
        if (std::any_of(tells.begin(), tells.end(), contains)) {
            report("privacy-boundary",
                "boundary is marketing, not a checkable commitment: '" + std::string(boundary) + "'");
        }
    }

    void checkBenefit()
    {
        if (trimUnicode(m_spec.benefit).empty())
            report("benefit", "no one-line benefit tied to the outcome");
    }

    void checkCostOfSkipping()
    {
        if (m_spec.isOptional && (!m_spec.costOfSkipping || trimUnicode(*m_spec.costOfSkipping).empty())) {
            report("cost-of-skipping",
                "optional permission does not say what declining costs. A flow that lets someone say no, and says "
                "what no costs, earns trust.");
        }
    }

    void checkDeepLink()
    {
        if (urlScheme(m_spec.settingsURL) != kDeepLinkScheme) {
            report("deep-link",
                "settingsURL is not an x-apple.systempreferences: pane link ('" + m_spec.settingsURL
                    + "'). 'Open Settings and find it' is the failure this replaces.");
        }
    }

    void checkRowsToTick()
    {
        if (m_spec.requiresManualDrag && m_spec.rowsToTick.empty()) {
            report("rows-to-tick",
                "a drag-in permission must name the exact row(s) to add, or the animation teaches a gesture with no "
                "target.");
        }
    }

    // The name is looked up and quoted as stored: a stray space is part of what fails to resolve.
    void checkDialogImage(const KDPermissionSpecLint::ImageResolver& resolveImage)
    {
        if (!m_spec.dialogImageName)
            return;
        const std::string& name = *m_spec.dialogImageName;
        if (trimUnicode(name).empty()) {
            report("dialog-image", "dialogImageName is set but empty.");
            return;
        }
        if (resolveImage(name, true) && resolveImage(name, false))
            return;
        report("dialog-image",
            "dialogImageName '" + name + "' does not resolve for both themes in this bundle, so the wizard will "
                "silently show no dialog picture in at least one appearance. Ship '" + name + "-dark' and '" + name
                + "-light', or a single '" + name + "' that suits both.");
    }

private:
    const KDPermissionSpec& m_spec;
    Findings& m_findings;
};

std::string describeAll(const Findings& findings)
{
    std::string text = "[";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += findings[i].description();
    }
    return text + "]";
}

}

std::string KDPermissionLintFinding::description() const
{
    return "[" + permissionID + "] " + rule + ": " + detail;
}

std::vector<KDPermissionLintFinding> KDPermissionSpecLint::check(const std::vector<KDPermissionSpec>& specs,
    const ImageResolver& resolveImage)
{
    Findings findings;
    std::set<std::string> seenIds;
    for (const auto& spec : specs) {
        SpecJudge judge(spec, findings);
        if (!seenIds.insert(spec.id).second)
            judge.report("duplicate-id", "two permissions share the id '" + spec.id + "'");
        judge.checkBullets();
        judge.checkBoundary();
        judge.checkBenefit();
        judge.checkCostOfSkipping();
        judge.checkDeepLink();
        judge.checkRowsToTick();
        judge.checkDialogImage(resolveImage);
    }
    return findings;
}

std::vector<KDPermissionLintFinding> KDPermissionSpecLint::check(const std::vector<KDPermission>& permissions)
{
    std::vector<KDPermissionSpec> specs;
    specs.reserve(permissions.size());
    for (const auto& permission : permissions)
        specs.push_back(KDPermissionSpec::from(permission));
    return check(specs, [](const std::string& name, bool dark) {
        return KDPermission::resolveDialogImage(name, dark).has_value();
    });
}

KDPermissionSpec KDPermissionSpecLint::selftestControl()
{
    return {
        .id = "control.screen",
        .title = "Screen Recording",
        .benefit = "So it can see the window you are pointing at.",
        .bullets = { "Read the frontmost window", "Capture a region you select", "Skip anything you have not opened" },
        .boundary = "Only captures when you actively use these features, never in the background.",
        .settingsURL = "x-apple.systempreferences:com.apple.preference.security?Privacy_ScreenCapture",
        .isOptional = false,
        .costOfSkipping = std::nullopt,
        .rowsToTick = {},
        .requiresManualDrag = false,
        .dialogImageName = std::nullopt,
        .probe = {},
    };
}

KDPermissionSpec KDPermissionSpecLint::selftestDecoy()
{
    return {
        .id = "decoy.screen",
        .title = "Screen Recording",
        .benefit = "So it can see your screen.",
        .bullets = { "It works better" },
        .boundary = "We take your privacy seriously.",
        .settingsURL = "https://support.example.com/screen",
        .isOptional = true,
        .costOfSkipping = std::nullopt,
        .rowsToTick = {},
        .requiresManualDrag = false,
        .dialogImageName = "kd-permission-wizard-decoy-not-a-real-resource",
        .probe = {},
    };
}

bool KDPermissionSpecLint::selftest()
{
    const auto resolveNothing = [](const std::string&, bool) { return false; };
    bool passed = true;

    const auto controlFindings = check({ selftestControl() }, resolveNothing);
    if (!controlFindings.empty()) {
        writeStandardError("SELFTEST FAIL: control produced findings: " + describeAll(controlFindings) + "\n");
        passed = false;
    }

    const auto decoyFindings = check({ selftestDecoy() }, resolveNothing);
    for (const std::string_view rule : { "three-bullets", "privacy-boundary", "deep-link", "cost-of-skipping", "dialog-image" }) {
        const bool caught = std::any_of(decoyFindings.begin(), decoyFindings.end(),
            [rule](const KDPermissionLintFinding& finding) { return finding.rule == rule; });
        if (!caught) {
            writeStandardError("SELFTEST FAIL: decoy was not caught by rule '" + std::string(rule) + "'\n");
            passed = false;
        }
    }

    if (!check(std::vector<KDPermissionSpec> {}, resolveNothing).empty()) {
        writeStandardError("SELFTEST FAIL: empty spec produced findings\n");
        passed = false;
    }

    writeStandardOutput(passed ? "permission-lint selftest OK (1 control clean, decoy caught by 5 rules)\n"
                               : "permission-lint selftest FAILED\n");
    return passed;
}

}
