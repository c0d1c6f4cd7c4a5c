#include "platform/core/UniqueName.h"

#include "platform/core/Paths.h"

#include <sys/stat.h>

namespace ikw {

std::string numberedName(std::string_view fileName, int number)
{
    if (number <= 1)
        return std::string(fileName);
    const std::string extension = pathExtension(fileName);
    const std::string_view stem = extension.empty() ? fileName : fileName.substr(0, fileName.size() - extension.size() - 1);
    std::string name = std::string(stem) + " " + std::to_string(number);
    if (!extension.empty())
        name += "." + extension;
    return name;
}

std::optional<std::string> uniquePathInFolder(std::string_view folder, std::string_view fileName,
    const std::function<bool(const std::string& path)>& taken)
{
    const auto exists = [](const std::string& path) {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0;
    };
    for (int number = 1; number <= kMostNumberedNames; ++number) {
        std::string path = joinPath(folder, numberedName(fileName, number));
        if (!(taken ? taken(path) : exists(path)))
            return path;
    }
    return std::nullopt;
}

}
