#include "platform/core/ZipArchive.h"

#include "platform/core/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <zip.h>

namespace ikw {

namespace {

constexpr std::size_t kReadPieceBytes = 64 * 1024;

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using OwnedZipFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

std::optional<zip_uint64_t> indexOf(zip_t* archive, std::string_view name)
{
    const std::string terminated(name);
    const zip_int64_t index = zip_name_locate(archive, terminated.c_str(), ZIP_FL_ENC_RAW);
    if (index < 0)
        return std::nullopt;
    return static_cast<zip_uint64_t>(index);
}

std::optional<ZipEntry> entryAt(zip_t* archive, zip_uint64_t index)
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, index, ZIP_FL_ENC_RAW, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME))
        return std::nullopt;
    ZipEntry entry;
    entry.name = stat.name;
    if (stat.valid & ZIP_STAT_SIZE)
        entry.size = stat.size;
    if (stat.valid & ZIP_STAT_COMP_SIZE)
        entry.compressedSize = stat.comp_size;
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) == 0 && system == ZIP_OPSYS_UNIX && (attributes >> 16) != 0)
        entry.unixMode = attributes >> 16;
    return entry;
}

}

struct ZipArchive::Handle {
    zip_t* archive = nullptr;
    ~Handle()
    {
        if (archive)
            zip_discard(archive);
    }
};

ZipArchive::ZipArchive(std::unique_ptr<Handle> handle) : m_handle(std::move(handle)) { }
ZipArchive::ZipArchive(ZipArchive&&) noexcept = default;
ZipArchive& ZipArchive::operator=(ZipArchive&&) noexcept = default;
ZipArchive::~ZipArchive() = default;

std::optional<ZipArchive> ZipArchive::open(const std::string& path)
{
    // Non-blocking, so that opening a FIFO does not wait for a writer; only regular files go on.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    int error = 0;
    zip_t* archive = zip_fdopen(fd.get(), ZIP_RDONLY, &error);
    if (!archive)
        return std::nullopt;
    fd.release(); // the archive closes it now
    auto handle = std::make_unique<Handle>();
    handle->archive = archive;
    return ZipArchive(std::move(handle));
}

std::vector<ZipEntry> ZipArchive::entries() const
{
    std::vector<ZipEntry> entries;
    const zip_int64_t count = zip_get_num_entries(m_handle->archive, 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        if (auto entry = entryAt(m_handle->archive, static_cast<zip_uint64_t>(index)))
            entries.push_back(std::move(*entry));
    }
    return entries;
}

std::optional<ZipEntry> ZipArchive::entry(std::string_view name) const
{
    const auto index = indexOf(m_handle->archive, name);
    if (!index)
        return std::nullopt;
    return entryAt(m_handle->archive, *index);
}

ZipReadStatus ZipArchive::readMember(std::string_view name, std::uint64_t maxBytes,
    const std::function<void(std::string_view piece)>& consume) const
{
    const auto index = indexOf(m_handle->archive, name);
    if (!index)
        return ZipReadStatus::Missing;
    const auto declared = entryAt(m_handle->archive, *index);
    if (!declared)
        return ZipReadStatus::Missing;
    if (declared->size > maxBytes)
        return ZipReadStatus::TooLarge;
    const OwnedZipFile file(zip_fopen_index(m_handle->archive, *index, 0));
    if (!file)
        return ZipReadStatus::Missing;
    // The declared size may lie: the bound is kept on what actually comes out.
    std::string buffer(kReadPieceBytes, '\0');
    std::uint64_t total = 0;
    for (;;) {
        const zip_int64_t read = zip_fread(file.get(), buffer.data(), buffer.size());
        if (read < 0)
            return ZipReadStatus::Damaged;
        if (read == 0)
            return ZipReadStatus::Read;
        total += static_cast<std::uint64_t>(read);
        if (total > maxBytes)
            return ZipReadStatus::TooLarge;
        consume(std::string_view(buffer.data(), static_cast<std::size_t>(read)));
    }
}

std::optional<std::string> ZipArchive::readMember(std::string_view name, std::uint64_t maxBytes) const
{
    std::string bytes;
    const ZipReadStatus status = readMember(name, maxBytes, [&](std::string_view piece) { bytes.append(piece); });
    if (status != ZipReadStatus::Read)
        return std::nullopt;
    return bytes;
}

}
