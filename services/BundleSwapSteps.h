#pragma once

#include "platform/core/Process.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ikw::services {

// The file-system and process steps of putting a new application bundle in place of the running
// one. They are functions so that tests can make them fail: tests run as root, where permissions
// refuse nothing. Each step gives the reason when it fails, nothing when it succeeds.
struct BundleSwapSteps {
    // Copies the folder `from` to the new path `to` with modes, times and links, and flushes the
    // copy's file system so that the copy is on disk before it becomes the application.
    std::function<std::optional<std::string>(const std::string& from, const std::string& to)> copyFolder;
    // Swaps what the two paths name, in one step of the file system.
    std::function<std::optional<std::string>(const std::string& first, const std::string& second)> exchange;
    // Starts the process that finishes the swap after this one has exited.
    std::function<DetachedStart(const std::vector<std::string>& argv)> startDetached;
};

// "/bin/cp -a" then syncfs; renameat2 with RENAME_EXCHANGE; startDetachedProcess.
BundleSwapSteps realBundleSwapSteps();

}
