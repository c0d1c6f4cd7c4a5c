#pragma once

#include "permission-wizard/DoneScreen.h"
#include "permission-wizard/GrantMap.h"
#include "permission-wizard/KDPermission.h"
#include "permission-wizard/KDWizardBrand.h"
#include "permission-wizard/KDWizardHost.h"
#include "permission-wizard/KDWizardProduct.h"
#include "permission-wizard/PermissionScreen.h"
#include "permission-wizard/SummaryScreen.h"
#include "platform/core/TaskQueue.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ikw::wizard {

// The wizard window's state and rules, without widgets: which screen shows (`step`), the latest
// probe result per permission, the one-second polling and the footer. A display layer draws the
// screen values it hands out and rebuilds them when told of a change.
//
// `step`: below 0 the summary, 0...n-1 the permission at that index, n or more the done screen.
// Main thread only. Made with std::make_shared: the screens' actions hold it weakly.
class KDPermissionWizardView : public std::enable_shared_from_this<KDPermissionWizardView> {
public:
    struct Inputs {
        KDWizardBrand brand;
        KDWizardProduct product;
        std::vector<KDPermission> permissions;
        std::function<void()> onClose;
        // The step shown once the view appears (the done screen above n, the summary below 0).
        std::optional<int> initialStep;
        // Probe results by id that replace the real probes; other ids are probed.
        std::optional<GrantMap> forcedGrants;
        // Every permission screen drawn as if its grant button had been pressed.
        bool forcedDidAsk = false;
        // The application's "became active" event; each one refreshes.
        ActivationSubscriber subscribeBecameActive;
    };

    enum class Screen { Summary, Permission, Done };

    explicit KDPermissionWizardView(Inputs inputs);
    ~KDPermissionWizardView();
    KDPermissionWizardView(const KDPermissionWizardView&) = delete;
    KDPermissionWizardView& operator=(const KDPermissionWizardView&) = delete;

    const KDWizardBrand& brand() const { return m_inputs.brand; }
    const KDWizardProduct& product() const { return m_inputs.product; }
    const std::vector<KDPermission>& permissions() const { return m_inputs.permissions; }
    const std::function<void()>& onClose() const { return m_inputs.onClose; }
    const std::optional<int>& initialStep() const { return m_inputs.initialStep; }
    void setInitialStep(std::optional<int> step) { m_inputs.initialStep = step; }
    const std::optional<GrantMap>& forcedGrants() const { return m_inputs.forcedGrants; }
    void setForcedGrants(std::optional<GrantMap> grants) { m_inputs.forcedGrants = std::move(grants); }
    bool forcedDidAsk() const { return m_inputs.forcedDidAsk; }
    void setForcedDidAsk(bool asked);

    // Called whenever what the screen shows may have changed.
    void setOnChanged(std::function<void()> onChanged) { m_onChanged = std::move(onChanged); }

    // The view came on screen: takes the initial step, refreshes, and starts polling (every 1.0 s
    // and on each "became active") until the view is destroyed.
    void appear();
    // Probes every permission (forced results first); when the map differs from the last one,
    // keeps it and rewrites the state file. Never moves the step.
    void refresh();

    int step() const { return m_step; }
    const GrantMap& granted() const { return m_granted; }
    bool didAsk() const { return m_didAsk; }
    Screen screen() const;

    // The screens, for the current state.
    SummaryScreen summaryScreen() const;
    DoneScreen doneScreen() const;
    // Nothing unless the step is a permission's.
    std::optional<PermissionScreen> permissionScreen() const;

    // The footer: "Back" for 1 <= step <= n, "Not now" for step < n.
    bool showsBack() const;
    bool showsNotNow() const;
    void back();
    void notNow();

    // The summary's "Get Started": the first permission not granted, or the done screen.
    void start();
    // The permission screen's continue: the next step, without jumping over granted ones.
    void advance();
    // The permission screen's skip: stores the id as skipped, then advances.
    void skip();
    // The index of the first permission not granted; n when all are.
    int firstOutstanding() const;

private:
    int count() const { return static_cast<int>(m_inputs.permissions.size()); }
    void setStep(int step);
    void changed() const;
    // A screen's action: it reaches this view only while the view lives and shows that step.
    std::function<void()> weakAction(void (KDPermissionWizardView::*action)(), std::optional<int> onStep) const;

    Inputs m_inputs;
    int m_step = -1;
    GrantMap m_granted;
    bool m_didAsk = false;
    std::function<void()> m_onChanged;
    Timer m_ticker;
    std::function<void()> m_unsubscribeBecameActive;
};

}
