#pragma once

#include "platform/core/UniqueFd.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace ikw {

// Watches folders and every folder below them with inotify; folders created later are added as
// they appear. Sub-folders are found on a background queue, so a large tree does not hold the
// main thread; events are read on the main loop (GLib). Main thread only.
class InotifyTree {
public:
    // `onEvent` runs once for every batch of events read.
    explicit InotifyTree(std::function<void()> onEvent);
    ~InotifyTree();
    InotifyTree(const InotifyTree&) = delete;
    InotifyTree& operator=(const InotifyTree&) = delete;

    // Adds `folder` now and its sub-folders soon. False when the folder itself cannot be watched.
    bool addTree(const std::string& folder);
    // The folders watched so far.
    std::size_t watchCount() const { return m_shared->folders.size(); }

private:
    // What the background walk shares with the watcher; it outlives a watcher that goes first.
    struct Shared {
        UniqueFd fd;
        std::atomic<bool> cancelled { false };
        std::mutex posting; // a walk posts its result only while the watcher lives
        std::atomic<bool> reportedLimit { false };
        std::map<int, std::string> folders; // watch descriptor to folder; main thread only
    };

    static int onReadable(int fd, unsigned condition, void* self);
    static int addWatch(Shared& shared, const std::string& folder);
    void readEvents();

    std::shared_ptr<Shared> m_shared;
    unsigned m_source = 0;
    std::function<void()> m_onEvent;
};

}
