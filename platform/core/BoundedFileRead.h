#pragma once

#include <cstdint>
#include <string>

namespace ikw {

// The bytes of a regular file when there are at most `maxBytes` of them. Readers of untrusted
// files use it: a FIFO or a device is never waited on or read, and a file above the bound is
// refused before it is read (or, growing while read, once it passes the bound).
struct BoundedFileRead {
    enum class Status {
        Read,
        NotRegular, // a folder, a FIFO, a device, ...
        TooLarge,
        Failed,     // could not be opened or read: `error` says why
    };

    Status status = Status::Failed;
    std::string bytes;
    int error = 0; // errno of a failure
};

BoundedFileRead readRegularFileWithin(const std::string& path, std::uint64_t maxBytes);
// The first `maxBytes` bytes of a regular file (all of a shorter one), never TooLarge.
BoundedFileRead readRegularFileHead(const std::string& path, std::uint64_t maxBytes);

}
