#include "permission-wizard/KDPermissionProbes.h"

namespace ikw::wizard {

// There is no per-application trust list to ask (accessibility goes through the session bus
// without a grant) and no window-server list, event-tap or messaging time-out to try, so these
// answers are decided here rather than measured.
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
