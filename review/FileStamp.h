#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace ikw {

using FileTime = std::chrono::system_clock::time_point;

// What a window remembers of the file it loaded, to tell its own writes from somebody else's.
struct FileStamp {
    std::string path;
    FileTime mtime;
    long long size = 0;
    // Which file it was: an atomic replacement makes a new one even when date and size agree.
    unsigned long long device = 0;
    unsigned long long inode = 0;
};

// The modification time and size of a file as they are now; nothing when it cannot be read.
struct FileFacts {
    std::optional<FileTime> mtime;
    std::optional<long long> size;
    unsigned long long device = 0;
    unsigned long long inode = 0;
};
std::optional<FileFacts> readFileFacts(const std::string& path);

// A stamp of `path` now. An unreadable file gets the current time and size 0.
FileStamp stampFile(const std::string& path);

// Whether the file differs from its stamp: a size change, or a modification time more than one
// second away. A missing time or size counts as the stamp's own. Timestamps of network and FAT
// file systems round to a second or two, hence the tolerance.
bool factsDiffer(const FileStamp& stamp, const FileFacts& facts);

// Whether `path` is still exactly the file the stamp describes: the same file (device and inode),
// modification time and size. For the application's own quick rewrites, which the poll's
// tolerance would miss; false when the file cannot be read.
bool fileMatchesStamp(const FileStamp& stamp, const std::string& path);

// Whether `path` changed on disk since `stamp` was taken. No stamp, a stamp of another file, or an
// unreadable (gone) file answer false: a deleted document is never reloaded.
bool diskChangedSince(const std::optional<FileStamp>& stamp, const std::string& path);

}
