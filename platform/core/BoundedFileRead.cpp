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

}

BoundedFileRead readRegularFileWithin(const std::string& path, std::uint64_t maxBytes)
{
    using Status = BoundedFileRead::Status;
    // Non-blocking, so that opening a FIFO does not wait for a writer.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return outcome(Status::Failed, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return outcome(Status::Failed, errno);
    if (!S_ISREG(info.st_mode))
        return outcome(Status::NotRegular);
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes)
        return outcome(Status::TooLarge);
    BoundedFileRead read = outcome(Status::Read);
    read.bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
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
