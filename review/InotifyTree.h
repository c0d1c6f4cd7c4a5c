#pragma once

#include "platform/core/UniqueFd.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ikw {

// Watches folders and every folder below them with inotify; folders created later are added as
// they appear. Events are read on the main loop (GLib). Main thread only.
class InotifyTree {
public:
    // `onEvent` runs once for every batch of events read.
    explicit InotifyTree(std::function<void()> onEvent);
    ~InotifyTree();
    InotifyTree(const InotifyTree&) = delete;
    InotifyTree& operator=(const InotifyTree&) = delete;

    bool isOpen() const { return m_fd.get() >= 0; }
    // Adds `folder` and its sub-folders. False when not even the folder itself could be watched.
    bool addTree(const std::string& folder);
    std::size_t watchCount() const { return m_folders.size(); }

private:
    static int onReadable(int fd, unsigned condition, void* self);
    bool addFolder(const std::string& folder);
    void readEvents();

    UniqueFd m_fd;
    unsigned m_source = 0;
    std::function<void()> m_onEvent;
    std::map<int, std::string> m_folders; // watch descriptor to folder
    bool m_reportedLimit = false;
};

}
