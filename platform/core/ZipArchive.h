#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

// One member of a zip archive as its central directory lists it.
struct ZipEntry {
    std::string name;
    std::uint64_t size = 0;           // uncompressed, as declared
    std::uint64_t compressedSize = 0;
    // The file type and permission bits (st_mode) its Unix attributes carry; none when the
    // archive was made elsewhere.
    std::optional<std::uint32_t> unixMode;
};

enum class ZipReadStatus {
    Read,      // the whole member was delivered
    Missing,   // no such member, or it cannot be opened (encrypted, unknown method)
    TooLarge,  // it declares or inflates to more than the bound; nothing past the bound is read
    Damaged,   // its data broke off or failed its check; what came before was delivered
};

// A zip archive opened for reading (libzip). Members are read through a size bound, in pieces,
// so that a member that inflates far beyond its archive never lands in memory whole. One thread
// at a time per archive. Move-only.
class ZipArchive {
public:
    // Opens a regular file; none for anything else (a FIFO is never waited on) or no zip archive.
    static std::optional<ZipArchive> open(const std::string& path);

    ZipArchive(ZipArchive&&) noexcept;
    ZipArchive& operator=(ZipArchive&&) noexcept;
    ~ZipArchive();

    std::vector<ZipEntry> entries() const;
    // The member of exactly this name (letter case counts).
    std::optional<ZipEntry> entry(std::string_view name) const;

    // Delivers the member's uncompressed bytes to `consume`, a piece at a time, as long as their
    // total stays within `maxBytes`. A member whose declared size is above the bound is refused
    // before any byte is read.
    ZipReadStatus readMember(std::string_view name, std::uint64_t maxBytes,
        const std::function<void(std::string_view piece)>& consume) const;
    // The whole member when it reads completely within the bound.
    std::optional<std::string> readMember(std::string_view name, std::uint64_t maxBytes) const;

private:
    struct Handle;
    explicit ZipArchive(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> m_handle;
};

// Unpacks the whole archive into the existing folder `folder`: folders, files and symbolic links,
// with the permission bits of the entries' Unix attributes (set-id bits dropped; 0644 and 0755
// without attributes). Nothing is ever written outside the folder: an entry whose name is
// absolute or has a ".." part, a path that passes through a symbolic link, a link whose target
// leaves the folder, or any other kind of file fails the extraction, as does a member that
// cannot be read or data past `maxBytes` in all. False on any failure, leaving what was unpacked
// before it in the folder.
bool extractZipArchive(const ZipArchive& archive, const std::string& folder, std::uint64_t maxBytes);

}
