#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ikw {

// How a member's bytes are stored.
enum class ZipCompression {
    Deflate,
    Store, // as they are: for members already compressed
};

// Builds a zip archive in memory (libzip): members are added in order, then `finish` gives the
// archive's bytes, to be put in place by the caller (FileSystem::replaceFile). Member names are
// UTF-8 and written as given. One thread at a time. Move-only.
class ZipWriter {
public:
    ZipWriter();
    ZipWriter(ZipWriter&&) noexcept;
    ZipWriter& operator=(ZipWriter&&) noexcept;
    ~ZipWriter();

    // False when the name is empty or already taken, or the writer has failed or finished.
    bool add(std::string_view name, std::string bytes, ZipCompression compression = ZipCompression::Deflate);
    // The archive; none when anything failed. The writer takes no members afterwards.
    std::optional<std::string> finish();

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
};

// Writes a new zip archive at `archivePath` holding `item` under its own name: a file as the one
// member, a folder as its whole tree (folders, files and symbolic links as links; other special
// files are left out), each with its permission bits and modification time. The files are read
// while the archive is written, which libzip does under a temporary name beside `archivePath`,
// renamed to it only when complete; the path must not exist yet. False when anything could not be
// read or written, and then nothing is left at the path.
bool writeZipOfItem(const std::string& item, const std::string& archivePath);

}
