#include "platform/core/FolderChangeSentinel.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace ikw {

namespace {

constexpr std::uint32_t kChangeEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM
    | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;

}

void FolderChangeSentinel::reset()
{
    m_fd = UniqueFd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    m_watches = 0;
    m_changed = !m_fd.valid();
}

bool FolderChangeSentinel::add(const std::string& folder)
{
    if (m_changed)
        return false;
    if (::inotify_add_watch(m_fd.get(), folder.c_str(), kChangeEvents | IN_ONLYDIR) < 0) {
        m_changed = true;
        return false;
    }
    ++m_watches;
    return true;
}

bool FolderChangeSentinel::changed()
{
    if (m_changed || m_watches == 0)
        return true;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(m_fd.get(), buffer, sizeof buffer);
        if (count > 0) {
            // Any event at all, an overflow included, is a change.
            m_changed = true;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno != EAGAIN)
            m_changed = true;
        return m_changed;
    }
}

}
