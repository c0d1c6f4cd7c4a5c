#include "crossdoc/FolderWalk.h"

#include "platform/core/Paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string_view>
#include <vector>

namespace ikw::crossdoc {

namespace {

constexpr std::string_view kPackageExtensions[] = {
    "app", "appex", "band", "bundle", "component", "dsym", "framework", "fcpbundle", "imovielibrary", "kext", "key",
    "logicx", "mdimporter", "mpkg", "musiclibrary", "numbers", "pages", "photolibrary", "photoslibrary", "playground",
    "plugin", "prefpane", "qlgenerator", "rtfd", "saver", "sparsebundle", "xcodeproj", "xpc",
};

// One entry of a folder: its name and whether it is a real folder (a link to one is not).
struct Entry {
    std::string name;
    bool isFolder = false;
    bool operator<(const Entry& other) const { return name < other.name; }
};

// The entries of a folder, sorted by name; empty when it cannot be read. The kind comes with the
// listing where the file system gives it, sparing a look at every file of a large scope.
std::vector<Entry> sortedEntries(const std::string& folder)
{
    std::vector<Entry> entries;
    const std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(folder.c_str()), ::closedir);
    if (!directory)
        return entries;
    while (const dirent* found = ::readdir(directory.get())) {
        const std::string_view name = found->d_name;
        if (name == "." || name == "..")
            continue;
        bool isFolder = found->d_type == DT_DIR;
        if (found->d_type == DT_UNKNOWN) {
            struct stat info {};
            isFolder = ::lstat(joinPath(folder, name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        entries.push_back({ std::string(name), isFolder });
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

}

bool isPackageName(const std::string& name)
{
    std::string extension = pathExtension(name);
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(std::begin(kPackageExtensions), std::end(kPackageExtensions), extension) != std::end(kPackageExtensions);
}

void walkFolder(const std::string& folder, const std::function<WalkStep(const std::string& path)>& visit,
    const std::function<void(const std::string& folder)>& listing)
{
    const auto listed = [&listing](const std::string& path) {
        if (listing)
            listing(path);
        return sortedEntries(path);
    };
    // One level per open folder: its path, its sorted names and the next one to visit.
    struct Level {
        std::string path;
        std::vector<Entry> entries;
        std::size_t next = 0;
    };
    std::vector<Level> levels;
    levels.push_back({ folder, listed(folder) });
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.entries.size()) {
            levels.pop_back();
            continue;
        }
        const Entry& entry = level.entries[level.next++];
        if (entry.name.starts_with('.'))
            continue;
        std::string path = joinPath(level.path, entry.name);
        if (visit(path) == WalkStep::Stop)
            return;
        if (entry.isFolder && !isPackageName(entry.name)) {
            std::vector<Entry> entries = listed(path);
            levels.push_back({ std::move(path), std::move(entries) });
        }
    }
}

}
