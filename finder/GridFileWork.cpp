#include "finder/GridFileWork.h"

#include "platform/core/FileMoves.h"
#include "platform/core/Paths.h"
#include "platform/core/UniqueName.h"
#include "review/PagePath.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

namespace ikw::finder {

namespace {

constexpr const char* kUntitledFolder = "untitled folder";

// A page's item path in plain form ("/a/./b/" is "/a/b"), so that its parent and name are its own;
// nothing when it is not absolute or names no item of its own ("/", "/a/..").
std::optional<std::string> itemPath(const std::string& path)
{
    if (!checkedPagePath(path, PathNeed::Absolute))
        return std::nullopt;
    std::string normal = std::filesystem::path(path).lexically_normal().string();
    while (normal.size() > 1 && normal.ends_with('/'))
        normal.pop_back();
    if (normal == "/" || !isPlainItemName(lastPathComponent(normal)))
        return std::nullopt;
    return normal;
}

bool sameFolder(const std::string& a, const std::string& b)
{
    struct stat first {}, second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

std::string realPath(const std::string& path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// A folder cannot go into itself or into one of its own folders. The item is taken as it stands
// (a link is the link, not where it leads).
bool isInside(const std::string& folder, const std::string& item)
{
    const std::string inner = realPath(folder);
    const std::string outer = joinPath(realPath(parentPath(item)), lastPathComponent(item));
    return inner == outer || inner.starts_with(outer + "/");
}

// The folder made under the first free numbered name: mkdir claims it, so a name taken meanwhile
// moves on to the next number instead of failing or sharing a folder.
std::optional<std::string> claimFolder(const std::string& parent, const std::string& name)
{
    for (int number = 1; number <= kMostNumberedNames; ++number) {
        const std::string path = joinPath(parent, numberedName(name, number));
        if (::mkdir(path.c_str(), 0777) == 0)
            return path;
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

}

std::optional<std::string> fmUniqueDest(std::string_view folder, std::string_view name)
{
    return uniquePathInFolder(folder, name);
}

bool isPlainItemName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos
        && name.find('\0') == std::string_view::npos;
}

Json moveItems(const std::vector<std::string>& paths, const std::string& dest, const std::string& filledFolder)
{
    if (!checkedPagePath(dest, PathNeed::Absolute) || !realFileSystem().isDirectory(dest))
        return { { "op", "move" }, { "moved", Json::array() }, { "failed", paths }, { "dest", dest } };
    Json moved = Json::array();
    Json failed = Json::array();
    for (const std::string& path : paths) {
        const auto item = itemPath(path);
        if (item && sameFolder(parentPath(*item), dest))
            continue;
        if (!item || isInside(dest, *item)) {
            failed.push_back(path);
            continue;
        }
        const PlaceResult placed = moveToUniqueName(*item, dest, lastPathComponent(*item));
        if (placed)
            moved.push_back({ { "from", path }, { "to", placed.path } });
        else
            failed.push_back(path);
    }
    return { { "op", "move" }, { "moved", moved }, { "failed", failed }, { "dest", dest }, { "folder", filledFolder } };
}

Json folderFailure(const std::string& parent, const std::vector<std::string>& paths)
{
    return { { "op", "newfolder" }, { "failed", paths.empty() ? std::vector<std::string> { parent } : paths } };
}

Json makeFolder(const std::string& parent, const std::string& name, const std::vector<std::string>& paths)
{
    const auto failure = [&] { return folderFailure(parent, paths); };
    const std::string folderName = name.empty() ? kUntitledFolder : name;
    if (!checkedPagePath(parent, PathNeed::Absolute) || !isPlainItemName(folderName))
        return failure();
    if (!realFileSystem().isDirectory(parent) && !realFileSystem().createDirectories(parent))
        return failure();
    const auto folder = claimFolder(parent, folderName);
    if (!folder)
        return failure();
    if (!paths.empty())
        return moveItems(paths, *folder, lastPathComponent(*folder));
    return { { "op", "newfolder" }, { "dest", *folder }, { "folder", lastPathComponent(*folder) } };
}

Json trashItems(const std::vector<std::string>& paths, FileSystem& files)
{
    Json trashed = Json::array();
    Json failed = Json::array();
    for (const std::string& path : paths) {
        const auto item = itemPath(path);
        if (item && files.moveToTrash(*item))
            trashed.push_back(path);
        else
            failed.push_back(path);
    }
    return { { "op", "trash" }, { "trashed", trashed }, { "failed", failed } };
}

Json renameItem(const std::string& path, const std::string& name)
{
    const Json failure { { "op", "rename" }, { "failed", Json::array({ path }) } };
    const auto item = itemPath(path);
    if (!item || !isPlainItemName(name) || !realFileSystem().exists(*item))
        return failure;
    if (lastPathComponent(*item) == name)
        return { { "op", "rename" }, { "renamed", Json::object({ { path, path } }) } };
    const PlaceResult placed = moveToUniqueName(*item, parentPath(*item), name);
    if (!placed)
        return failure;
    return { { "op", "rename" }, { "renamed", Json::object({ { path, placed.path } }) } };
}

}
