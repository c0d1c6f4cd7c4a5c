#include "review/PagePath.h"

#include "platform/core/FileSystem.h"

namespace ikw {

std::optional<std::string> checkedPagePath(const std::optional<std::string>& path, PathNeed need)
{
    if (!path || !path->starts_with('/') || path->find('\0') != std::string::npos)
        return std::nullopt;
    if (need == PathNeed::Existing && !realFileSystem().exists(*path))
        return std::nullopt;
    return path;
}

}
