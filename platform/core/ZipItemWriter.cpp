#include "platform/core/ZipWriter.h"

#include "platform/core/Paths.h"

#include <zip.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace ikw {

namespace {

// The archive being written; discarded unless it was closed.
class ArchiveOnDisk {
public:
    explicit ArchiveOnDisk(const std::string& path)
    {
        int error = 0;
        m_archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_EXCL, &error);
    }
    ~ArchiveOnDisk()
    {
        if (m_archive)
            zip_discard(m_archive);
    }
    ArchiveOnDisk(const ArchiveOnDisk&) = delete;
    ArchiveOnDisk& operator=(const ArchiveOnDisk&) = delete;

    zip_t* get() const { return m_archive; }
    // Writes the archive out; judged by libzip's own result.
    bool close()
    {
        if (!m_archive || zip_close(m_archive) != 0)
            return false;
        m_archive = nullptr;
        return true;
    }

private:
    zip_t* m_archive = nullptr;
};

bool setAttributes(zip_t* archive, zip_int64_t index, const struct stat& info)
{
    const auto attributes = static_cast<zip_uint32_t>(info.st_mode & 0xFFFF) << 16;
    return index >= 0 && zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX, attributes) == 0
        && zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), info.st_mtime, 0) == 0;
}

bool addFile(zip_t* archive, const std::string& path, const std::string& name, const struct stat& info)
{
    zip_source_t* source = zip_source_file(archive, path.c_str(), 0, 0);
    if (!source)
        return false;
    const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    return setAttributes(archive, index, info);
}

bool addLink(zip_t* archive, const std::string& path, const std::string& name, const struct stat& info)
{
    std::vector<char> target(static_cast<std::size_t>(std::max<off_t>(info.st_size, 255)) + 1);
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<std::size_t>(length) >= target.size())
        return false;
    // libzip frees the copy once the archive is written.
    void* data = std::malloc(static_cast<std::size_t>(length) + 1);
    if (!data)
        return false;
    std::memcpy(data, target.data(), static_cast<std::size_t>(length));
    zip_source_t* source = zip_source_buffer(archive, data, static_cast<zip_uint64_t>(length), 1);
    if (!source) {
        std::free(data);
        return false;
    }
    const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    return setAttributes(archive, index, info);
}

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* directory = ::opendir(folder.c_str());
    if (!directory)
        return names;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

bool addItem(zip_t* archive, const std::string& path, const std::string& name, const struct stat& info, int depth);

bool addFolder(zip_t* archive, const std::string& path, const std::string& name, const struct stat& info, int depth)
{
    if (depth > 256 || ::access(path.c_str(), R_OK | X_OK) != 0)
        return false;
    if (!setAttributes(archive, zip_dir_add(archive, name.c_str(), ZIP_FL_ENC_UTF_8), info))
        return false;
    for (const std::string& child : folderEntries(path)) {
        struct stat childInfo {};
        const std::string childPath = joinPath(path, child);
        if (::lstat(childPath.c_str(), &childInfo) != 0 || !addItem(archive, childPath, name + "/" + child, childInfo, depth + 1))
            return false;
    }
    return true;
}

bool addItem(zip_t* archive, const std::string& path, const std::string& name, const struct stat& info, int depth)
{
    if (S_ISDIR(info.st_mode))
        return addFolder(archive, path, name, info, depth);
    if (S_ISREG(info.st_mode))
        return ::access(path.c_str(), R_OK) == 0 && addFile(archive, path, name, info);
    if (S_ISLNK(info.st_mode))
        return addLink(archive, path, name, info);
    return true; // pipes, sockets and devices have no bytes to keep
}

}

bool writeZipOfItem(const std::string& item, const std::string& archivePath)
{
    struct stat info {};
    const std::string name = lastPathComponent(item);
    if (name.empty() || ::stat(item.c_str(), &info) != 0 || !(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)))
        return false;
    ArchiveOnDisk archive(archivePath);
    return archive.get() && addItem(archive.get(), item, name, info, 0) && archive.close();
}

}
