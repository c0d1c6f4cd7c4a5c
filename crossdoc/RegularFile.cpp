#include "crossdoc/RegularFile.h"

#include "platform/core/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace ikw::crossdoc {

bool isRegularFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxBytes)
{
    // Non-blocking, so that opening a FIFO does not wait for a writer.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < maxBytes) {
        const ssize_t read = ::read(fd.get(), buffer, std::min(sizeof buffer, maxBytes - bytes.size()));
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0)
            return std::nullopt;
        if (read == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(read));
    }
    return bytes;
}

}
