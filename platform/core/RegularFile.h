#pragma once

#include <string>
#include <sys/stat.h>

namespace ikw {

// True for a regular file, following symbolic links. Readers that open whatever they are given
// check this first: a FIFO or a device would block them or never end.
inline bool isRegularFile(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}
