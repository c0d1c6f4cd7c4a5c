#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace ikw {

// Outcome of a file operation: ok, or the reason it failed.
class IoStatus {
public:
    static IoStatus success() { return IoStatus(); }
    static IoStatus failure(std::string message) { return IoStatus(std::move(message)); }
    static IoStatus fromErrno(const std::string& what, int error);

    bool ok() const { return !m_error; }
    explicit operator bool() const { return ok(); }
    const std::string& message() const;

private:
    IoStatus() = default;
    explicit IoStatus(std::string message) : m_error(std::move(message)) {}
    std::optional<std::string> m_error;
};

struct ReplaceOptions {
    // Mode of a file that does not exist yet; an existing file keeps its own. Without a value a
    // new file gets 0666 less the umask. The temporary file is private (0600) until it is
    // complete, so a private file is never readable by others, not even for a moment.
    std::optional<mode_t> newFileMode;
};

// The file operations the product's stores use, behind an interface so that tests can make them
// fail (tests run as root, where permissions refuse nothing).
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual std::optional<std::string> readFile(const std::string& path) const = 0;
    // Plain write: create or truncate, then write.
    virtual IoStatus writeFile(const std::string& path, std::string_view data) = 0;
    // A new file only its owner may read (0600); fails when the path exists.
    virtual IoStatus writePrivateFile(const std::string& path, std::string_view data) = 0;
    // Atomic replacement: a temporary file in the same folder, fsync, then rename over the target,
    // keeping the old file's mode, owner (where permitted) and extended attributes. On failure the
    // target is untouched and no temporary file is left. A symbolic link stays a link: the file it
    // leads to is replaced, in that file's own folder (see resolveSymlinks).
    virtual IoStatus replaceFile(const std::string& path, std::string_view data, const ReplaceOptions& options = {}) = 0;
    // Puts an already written file (in the folder of the target's resolved path) in the target's
    // place the same way; a new target gets the mode of a new file.
    virtual IoStatus commitReplacement(const std::string& temporaryPath, const std::string& path) = 0;
    virtual IoStatus createDirectories(const std::string& path) = 0;
    virtual IoStatus rename(const std::string& from, const std::string& to) = 0;
    virtual IoStatus removeFile(const std::string& path) = 0;
    virtual bool exists(const std::string& path) const = 0;
    virtual bool isDirectory(const std::string& path) const = 0;
    // Moves a file or folder into the user's trash (the freedesktop trash), from where the file
    // manager can put it back.
    virtual IoStatus moveToTrash(const std::string& path);
};

// The real file system of the machine.
FileSystem& realFileSystem();

// A hidden, unique name in `path`'s folder for a temporary sibling: ".<name>.<random>.tmp".
std::string temporarySiblingPath(const std::string& path);

// The file that `path` stands for once symbolic links are followed: each link's target (relative
// ones against the link's folder), to at most 40 links. The path itself when it is no link; the
// file need not exist. Replacing this path instead of `path` keeps the user's links as links.
std::string resolveSymlinks(const std::string& path);

// The mode a new file gets: 0666 less the process's umask.
mode_t defaultNewFileMode();

// Copies mode, owner (where permitted) and extended attributes of `from` onto the open file `fd`.
void copyFileMetadata(const std::string& from, int fd);
// Copies the user's own extended attributes ("user.*": tags, document ids) from one open file or
// folder to another; the system's attributes (security labels, ACLs) belong to each copy.
void copyUserAttributes(int from, int to);

// The user's trash on GIO (g_file_trash), without the seam: FileSystem::moveToTrash.
IoStatus moveToTrash(const std::string& path);

}
