#pragma once

#include "platform/core/TaskQueue.h"
#include "review/ChangeDebouncer.h"
#include "review/InotifyTree.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ikw {

// Watches the folders of a review (recursively) and calls `onChange` once the changes have
// settled (ChangeDebouncer). Events are first gathered for half a second, so a save that touches
// a file several times counts once. Destroying the watcher stops it. Main thread only.
class FolderWatcher {
public:
    static constexpr double kLatencySeconds = 0.5;

    // Nothing when there is nothing to watch or no folder can be watched.
    static std::unique_ptr<FolderWatcher> create(const std::vector<std::string>& paths, std::function<void()> onChange);

    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    void stop();

    // The folders that `paths` stand for: a path that is not an existing folder is replaced by its
    // parent; duplicates and empty entries are dropped; order kept.
    static std::vector<std::string> foldersToWatch(const std::vector<std::string>& paths);

private:
    explicit FolderWatcher(std::function<void()> onChange);
    void fired();

    ChangeDebouncer m_debouncer;
    std::unique_ptr<InotifyTree> m_tree;
    Timer m_latency;
};

}
