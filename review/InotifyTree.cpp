#include "review/InotifyTree.h"

#include "platform/core/Log.h"
#include "platform/core/Paths.h"

#include <glib-unix.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace ikw {

namespace {

constexpr std::uint32_t kFolderEvents = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM
    | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

}

InotifyTree::InotifyTree(std::function<void()> onEvent)
    : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    , m_onEvent(std::move(onEvent))
{
    if (!isOpen()) {
        logLine(std::string("folder watcher: inotify unavailable: ") + std::strerror(errno));
        return;
    }
    m_source = g_unix_fd_add(m_fd.get(), G_IO_IN, reinterpret_cast<GUnixFDSourceFunc>(&InotifyTree::onReadable), this);
}

InotifyTree::~InotifyTree()
{
    if (m_source)
        g_source_remove(m_source);
}

bool InotifyTree::addTree(const std::string& folder)
{
    if (!isOpen() || !addFolder(folder))
        return false;
    namespace fs = std::filesystem;
    std::error_code error;
    // Symbolic links are not followed: a link back up the tree would never end.
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error))
            addFolder(it->path().string());
    }
    return true;
}

bool InotifyTree::addFolder(const std::string& folder)
{
    const int watch = ::inotify_add_watch(m_fd.get(), folder.c_str(), kFolderEvents);
    if (watch < 0) {
        if (errno == ENOSPC && !m_reportedLimit) {
            m_reportedLimit = true;
            logLine("folder watcher: the inotify watch limit is reached; some folders go unwatched");
        }
        return false;
    }
    m_folders[watch] = folder;
    return true;
}

int InotifyTree::onReadable(int, unsigned, void* self)
{
    static_cast<InotifyTree*>(self)->readEvents();
    return G_SOURCE_CONTINUE;
}

void InotifyTree::readEvents()
{
    alignas(inotify_event) char buffer[16 * 1024];
    bool any = false;
    for (;;) {
        const ssize_t length = ::read(m_fd.get(), buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            any = true;
            if (event->mask & IN_IGNORED) {
                m_folders.erase(event->wd);
                continue;
            }
            const bool newFolder = (event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO));
            const auto folder = m_folders.find(event->wd);
            if (newFolder && event->len > 0 && folder != m_folders.end())
                addTree(joinPath(folder->second, event->name));
        }
    }
    if (any && m_onEvent)
        m_onEvent();
}

}
