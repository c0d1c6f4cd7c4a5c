#include "review/FileStamp.h"

#include <sys/stat.h>

#include <cmath>

namespace ikw {

namespace {

constexpr std::chrono::duration<double> kMtimeTolerance { 1.0 };

FileTime fromTimespec(const timespec& time)
{
    using namespace std::chrono;
    return FileTime(duration_cast<FileTime::duration>(seconds(time.tv_sec) + nanoseconds(time.tv_nsec)));
}

}

std::optional<FileFacts> readFileFacts(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileFacts { fromTimespec(info.st_mtim), static_cast<long long>(info.st_size), static_cast<unsigned long long>(info.st_dev),
        static_cast<unsigned long long>(info.st_ino) };
}

FileStamp stampFile(const std::string& path)
{
    const auto facts = readFileFacts(path).value_or(FileFacts {});
    return FileStamp { path, facts.mtime.value_or(std::chrono::system_clock::now()), facts.size.value_or(0), facts.device, facts.inode };
}

bool fileMatchesStamp(const FileStamp& stamp, const std::string& path)
{
    const auto facts = readFileFacts(path);
    return facts && facts->mtime == stamp.mtime && facts->size == stamp.size && facts->device == stamp.device
        && facts->inode == stamp.inode;
}

bool factsDiffer(const FileStamp& stamp, const FileFacts& facts)
{
    const auto mtime = facts.mtime.value_or(stamp.mtime);
    const auto size = facts.size.value_or(stamp.size);
    const std::chrono::duration<double> apart = mtime - stamp.mtime;
    return std::fabs(apart.count()) > kMtimeTolerance.count() || size != stamp.size;
}

bool diskChangedSince(const std::optional<FileStamp>& stamp, const std::string& path)
{
    if (!stamp || stamp->path != path)
        return false;
    const auto facts = readFileFacts(path);
    return facts && factsDiffer(*stamp, *facts);
}

}
