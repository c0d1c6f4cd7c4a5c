#pragma once

#include "permission-wizard/DoneScreen.h"
#include "permission-wizard/DragGuide.h"
#include "permission-wizard/KDPermissionWizardView.h"
#include "permission-wizard/PermissionScreen.h"
#include "permission-wizard/SummaryScreen.h"
#include "permission-wizard/gtk/WizardWidgets.h"
#include "platform/ui/Desktop.h"

#include <gtk/gtk.h>

namespace ikw::wizard::gtk {

// The width of a screen's column between its 28-point side paddings, in a 660-point window.
inline constexpr int kColumnWidth = 660 - 2 * 28;

// Each builds a new floating widget tree from one screen value. Parts a test or the window needs
// to find carry widget names ("grant-button", "skip-button", "settings-link",
// "continue-placeholder", "waiting-note", "granted-badge", "get-started", "done-button",
// "back-button", "not-now-button", "drag-source", "drop-zone").
GtkWidget* summaryView(const SummaryScreen& screen, const WizardPaint& paint);
GtkWidget* doneView(const DoneScreen& screen, const WizardPaint& paint);
GtkWidget* permissionView(const PermissionScreen& screen, const WizardPaint& paint, ui::Workspace& workspace);
// The panel offering the bundle folder at `bundlePath` as a drag source.
GtkWidget* dragGuideView(const DragGuide& guide, const WizardPaint& paint, const std::string& bundlePath);

// The whole window content for the view's current step: the screen, a divider and the footer.
GtkWidget* wizardBody(KDPermissionWizardView& view, const WizardPaint& paint, ui::Workspace& workspace);

// The "Optional" tag: muted text on a faint capsule.
GtkWidget* optionalTag(const KDResolvedBrand& brand, double size, int horizontalPadding);

}
