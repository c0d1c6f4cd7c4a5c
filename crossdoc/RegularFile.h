#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace ikw::crossdoc {

// Whether the path names a regular file (following links). The extractors read nothing else: a
// FIFO or a device would block the index queue.
bool isRegularFile(const std::string& path);

// The bytes of a regular file, at most `maxBytes` of them from its start; none when it is no
// regular file or cannot be read.
std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxBytes = static_cast<std::size_t>(-1));

}
