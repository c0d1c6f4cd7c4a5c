#include "crossdoc/FolderWalk.h"

#include "platform/core/Paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <vector>

namespace ikw::crossdoc {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPackageExtensions[] = {
    "app", "appex", "band", "bundle", "component", "dsym", "framework", "fcpbundle", "imovielibrary", "kext", "key",
    "logicx", "mdimporter", "mpkg", "musiclibrary", "numbers", "pages", "photolibrary", "photoslibrary", "playground",
    "plugin", "prefpane", "qlgenerator", "rtfd", "saver", "sparsebundle", "xcodeproj", "xpc",
};

// The names in a folder, sorted; empty when it cannot be read.
std::vector<std::string> sortedNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator entries(folder, fs::directory_options::none, error);
    for (const fs::directory_iterator end; !error && entries != end; entries.increment(error))
        names.push_back(entries->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A folder to walk into: a real folder (not a link to one) that is no package.
bool isWalkable(const std::string& path, const std::string& name)
{
    std::error_code error;
    return fs::symlink_status(path, error).type() == fs::file_type::directory && !isPackageName(name);
}

}

bool isPackageName(const std::string& name)
{
    std::string extension = pathExtension(name);
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(std::begin(kPackageExtensions), std::end(kPackageExtensions), extension) != std::end(kPackageExtensions);
}

void walkFolder(const std::string& folder, const std::function<WalkStep(const std::string& path)>& visit)
{
    // One level per open folder: its path, its sorted names and the next one to visit.
    struct Level {
        std::string path;
        std::vector<std::string> names;
        std::size_t next = 0;
    };
    std::vector<Level> levels;
    levels.push_back({ folder, sortedNames(folder) });
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.names.size()) {
            levels.pop_back();
            continue;
        }
        const std::string& name = level.names[level.next++];
        if (name.starts_with('.'))
            continue;
        std::string path = joinPath(level.path, name);
        if (visit(path) == WalkStep::Stop)
            return;
        if (isWalkable(path, name)) {
            std::vector<std::string> names = sortedNames(path);
            levels.push_back({ std::move(path), std::move(names) });
        }
    }
}

}
