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

}
