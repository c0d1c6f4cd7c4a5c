#include "crossdoc/RegularFile.h"

#include "platform/core/BoundedFileRead.h"

#include <sys/stat.h>

namespace ikw::crossdoc {

bool isRegularFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxBytes)
{
    BoundedFileRead read = readRegularFileHead(path, maxBytes);
    if (read.status != BoundedFileRead::Status::Read)
        return std::nullopt;
    return std::move(read.bytes);
}

}
