#include "platform/core/BoundedFileRead.h"

#include "platform/core/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace ikw {

namespace {

BoundedFileRead outcome(BoundedFileRead::Status status, int error = 0)
{
    BoundedFileRead read;
    read.status = status;
    read.error = error;
    return read;
}

// Opens a regular file without waiting (a FIFO would block until a writer came) and reads it to
// its end or `maxBytes`, whichever comes first; `refuseLarger` makes a larger file TooLarge.
BoundedFileRead readRegular(const std::string& path, std::uint64_t maxBytes, bool refuseLarger)
{
    using Status = BoundedFileRead::Status;
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return outcome(Status::Failed, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return outcome(Status::Failed, errno);
    if (!S_ISREG(info.st_mode))
        return outcome(Status::NotRegular);
    if (refuseLarger && static_cast<std::uint64_t>(info.st_size) > maxBytes)
        return outcome(Status::TooLarge);
    BoundedFileRead read = outcome(Status::Read);
    read.bytes.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(info.st_size), maxBytes)));
    char buffer[65536];
    for (;;) {
        const std::uint64_t wanted = refuseLarger ? sizeof buffer : std::min<std::uint64_t>(sizeof buffer, maxBytes - read.bytes.size());
        if (wanted == 0)
            return read;
        const ssize_t count = ::read(fd.get(), buffer, static_cast<std::size_t>(wanted));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return outcome(Status::Failed, errno);
        if (count == 0)
            return read;
        if (read.bytes.size() + static_cast<std::size_t>(count) > maxBytes)
            return outcome(Status::TooLarge);
        read.bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

}

BoundedFileRead readRegularFileWithin(const std::string& path, std::uint64_t maxBytes)
{
    return readRegular(path, maxBytes, true);
}

BoundedFileRead readRegularFileHead(const std::string& path, std::uint64_t maxBytes)
{
    return readRegular(path, maxBytes, false);
}

}
