#include "permission-wizard/StandardStreams.h"

#include <cerrno>
#include <unistd.h>

namespace ikw::wizard {

namespace {

void writeAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

}

void writeStandardOutput(std::string_view text) { writeAll(STDOUT_FILENO, text); }
void writeStandardError(std::string_view text) { writeAll(STDERR_FILENO, text); }

}
