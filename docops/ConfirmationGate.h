#pragma once

#include "docops/FileOpHost.h"

#include <functional>
#include <memory>
#include <string>

namespace ikw::docops {

struct FileOpQuestion {
    std::string action;  // the skip key is "pageops_skip_" + action
    std::string verb;    // the confirming button
    std::string title;
    std::string message;
};

std::string skipKey(const std::string& action);

// Asks before an action that changes the user's files, unless the user switched the question off
// for all actions ("pageops_confirm" false) or for this one (its skip key). The box "Don’t ask me
// again for this action" stores the skip key whichever button was pressed. Exactly one of `work`
// and `onCancel` runs, once, on the main thread: inside this call when nothing is asked.
void confirmFileOp(const std::shared_ptr<FileOpHost>& host, const FileOpQuestion& question,
    std::function<void()> work, std::function<void()> onCancel = {});

}
