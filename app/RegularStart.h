#pragma once

#include "app/AppDelegate.h"
#include "platform/ui/Toolkit.h"

#include <functional>
#include <memory>

namespace ikw {

// Builds the review windows once the toolkit is up. The review layer sits above the shell, so the
// composition root hands it in.
using WindowLayerFactory = std::function<std::shared_ptr<ReviewWindowRegistry>(ui::Toolkit&)>;

// The ordinary application: a single-instance GTK application that stays alive with no window.
// Returns the process's exit status when the application quits.
int runRegularStart(int argc, char** argv, LaunchServices services, WindowLayerFactory makeWindows = {});

}
