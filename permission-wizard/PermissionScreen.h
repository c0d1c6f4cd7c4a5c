#pragma once

#include "permission-wizard/KDPermission.h"
#include "permission-wizard/KDWizardProduct.h"
#include "platform/ui/Desktop.h"

#include <functional>
#include <optional>
#include <string>

namespace ikw::wizard {

// Which parts of the permission screen show; the grant button always does, with its label.
struct PermissionScreenVisibility {
    bool grantedBadge = false;
    bool settingsLink = false;
    bool continuePlaceholder = false;
    bool guidance = false;
    bool costOfSkipping = false; // and only when the permission has one
    bool waitingNote = false;
    bool skipButton = false;

    friend bool operator==(const PermissionScreenVisibility&, const PermissionScreenVisibility&) = default;
};

// The guidance's picture: the system dialog's image, the drag guide, or nothing.
struct GuidancePicture {
    std::optional<WizardImage> dialogImage;
    bool dragGuide = false;
};

// The wizard's screen for one permission. A value rebuilt on every redraw from the wizard view's
// state; it acts only through the functions it was given.
struct PermissionScreen {
    KDWizardProduct product;
    KDPermission permission;
    int index = 0; // zero-based position among the wizard's permissions
    int total = 0;
    bool isGranted = false;
    bool forcedDidAsk = false; // drawn as if the grant button had been pressed
    bool didAsk = false;       // the grant button was pressed on this screen (kept by the view)
    std::string bundlePath;    // shown in the file manager for a permission that needs a manual drag
    std::function<void()> onSkip;
    std::function<void()> onContinue;
    std::function<void()> markAsked; // sets the view's asked state for this screen

    bool asked() const { return didAsk || forcedDidAsk; }
    PermissionScreenVisibility visibility() const;

    std::string stepCounter() const;  // "Step 1 of 3"
    std::string grantLabel() const;   // "Continue" or "Enable <title>"
    std::string skipLabel() const;    // "Skip" or "Skip for now"
    // The heading above the settings rows to turn on; nothing when there are none.
    std::optional<std::string> rowsHeading() const;
    std::string waitingNote() const;
    std::string placeholderAccessibilityLabel() const;
    GuidancePicture guidancePicture(bool dark) const;

    // The grant button: continue when granted; otherwise ask the system, open the settings pane
    // and, for a permission that needs a manual drag, show the bundle in the file manager.
    void primaryAction(ui::Workspace& workspace) const;
    // "Open in Settings…": opens the pane and nothing else.
    void openSettings(ui::Workspace& workspace) const;
};

}
