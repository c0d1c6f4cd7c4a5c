#include "crossdoc/SearchScope.h"

#include "platform/core/Paths.h"
#include "review/ReviewWC.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <optional>

namespace ikw::crossdoc {

namespace {

// The folder a source path stands for; none when the path does not exist.
std::optional<std::string> folderOf(const std::string& path)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    if (S_ISDIR(info.st_mode))
        return path;
    return parentPath(path);
}

bool hasPdfExtension(const std::string& path)
{
    std::string extension = pathExtension(path);
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "pdf";
}

}

std::vector<std::string> searchScopeDirs(const std::vector<std::string>& sourcePaths)
{
    std::vector<std::string> dirs;
    for (const std::string& path : sourcePaths) {
        const std::optional<std::string> folder = folderOf(path);
        if (folder && !folder->empty() && std::find(dirs.begin(), dirs.end(), *folder) == dirs.end())
            dirs.push_back(*folder);
    }
    return dirs;
}

std::vector<std::string> searchScopeDirs(const ReviewWC& window)
{
    return searchScopeDirs(window.sourcePaths);
}

std::vector<std::string> searchExplicitFiles(const std::vector<std::string>& sourcePaths)
{
    std::vector<std::string> files;
    std::copy_if(sourcePaths.begin(), sourcePaths.end(), std::back_inserter(files), hasPdfExtension);
    return files;
}

SearchScope searchScope(const std::vector<std::string>& sourcePaths)
{
    return { searchScopeDirs(sourcePaths), searchExplicitFiles(sourcePaths) };
}

std::string scopeName(const std::vector<std::string>& dirs)
{
    if (dirs.empty())
        return {};
    std::string folder = dirs.front();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder == "/" ? folder : lastPathComponent(folder);
}

}
