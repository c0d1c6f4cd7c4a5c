#pragma once

#include "app/AppDelegate.h"

namespace ikw {

// The ordinary application: a single-instance GTK application that stays alive with no window.
// Returns the process's exit status when the application quits.
int runRegularStart(int argc, char** argv, LaunchServices services);

}
