#pragma once

#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "platform/ui/Toolkit.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ikw {

// Builds the review windows once the toolkit is up. The review layer sits above the shell, so the
// composition root hands it in.
using WindowLayerFactory = std::function<std::shared_ptr<ReviewWindowRegistry>(ui::Toolkit&)>;

// The ordinary application: a single-instance GTK application that ends when its last window
// closes (or on Ctrl+Q). Returns the process's exit status when the application quits.
int runRegularStart(int argc, char** argv, LaunchServices services, WindowLayerFactory makeWindows = {});

// The command line the GTK application parses: ours without the switches the regular start reads
// itself ("--demo NAME", which goes to the welcome page).
std::vector<std::string> toolkitArguments(const CommandLine& commandLine);

}
