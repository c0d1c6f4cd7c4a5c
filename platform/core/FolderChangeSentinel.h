#pragma once

#include "platform/core/UniqueFd.h"

#include <cstddef>
#include <string>

namespace ikw {

// Tells whether anything changed in a set of folders since they were added: entries created,
// deleted, renamed, written or given new attributes, and the folders themselves moved or deleted.
// Only the folders added are watched, not their sub-folders. Built on inotify, read without
// blocking, so that a caller can skip re-reading a large tree that has not changed. Changes made
// where inotify cannot see them (another machine writing to a network share) go unnoticed, so a
// caller keeps its full check for anything it cannot afford to miss. One thread at a time.
class FolderChangeSentinel {
public:
    FolderChangeSentinel() = default;
    FolderChangeSentinel(FolderChangeSentinel&&) = default;
    FolderChangeSentinel& operator=(FolderChangeSentinel&&) = default;

    // Forgets every folder and starts watching none.
    void reset();
    // Starts watching `folder` (following a link to it). False when it cannot be watched (missing,
    // no inotify, the per-user watch limit reached): the sentinel then reports a change until reset.
    bool add(const std::string& folder);
    // Whether anything happened in the watched folders since the last reset (true when none were
    // ever added). Reading the pending events does not clear the answer: it stays true until reset.
    bool changed();
    // Reports a change from now on until reset: for a caller that found something no watch sees.
    void markChanged() { m_changed = true; }

    std::size_t watchCount() const { return m_watches; }

private:
    UniqueFd m_fd;
    std::size_t m_watches = 0;
    bool m_changed = true;
};

}
