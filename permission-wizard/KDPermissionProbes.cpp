#include "permission-wizard/KDPermissionProbes.h"

namespace ikw::wizard {

// Decided here rather than measured: there is no trust list to ask, and no window-server list,
// event tap or messaging time-out whose failure would reveal a missing grant.
bool KDPermissionProbes::accessibility() { return true; }
bool KDPermissionProbes::screenRecording() { return true; }
bool KDPermissionProbes::canCreateListenOnlyEventTap() { return true; }
bool KDPermissionProbes::canReadOtherWindows() { return true; }
// File access is the user's own file permissions; there is no extra grant to hold.
bool KDPermissionProbes::fullDiskAccess() { return true; }

// Already granted: there is no system dialog to show.
void KDPermissionProbes::requestAccessibilityPrompt() { }
void KDPermissionProbes::requestScreenRecordingPrompt() { }

}
