#include "platform/core/ZipWriter.h"

#include <zip.h>

#include <list>
#include <utility>

namespace ikw {

namespace {

constexpr std::size_t kReadBackPieceBytes = 64 * 1024;

// The archive's bytes from the buffer source it was written into.
std::optional<std::string> readSource(zip_source_t* source)
{
    if (zip_source_open(source) != 0)
        return std::nullopt;
    std::string bytes;
    std::string buffer(kReadBackPieceBytes, '\0');
    zip_int64_t read = 0;
    while ((read = zip_source_read(source, buffer.data(), buffer.size())) > 0)
        bytes.append(buffer.data(), static_cast<std::size_t>(read));
    zip_source_close(source);
    if (read < 0)
        return std::nullopt;
    return bytes;
}

}

struct ZipWriter::Handle {
    zip_source_t* target = nullptr; // the memory the archive is written into; kept past zip_close
    zip_t* archive = nullptr;
    std::list<std::string> members; // libzip reads the bytes only when the archive is closed

    ~Handle()
    {
        if (archive)
            zip_discard(archive);
        if (target)
            zip_source_free(target);
    }
};

ZipWriter::ZipWriter() : m_handle(std::make_unique<Handle>())
{
    zip_error_t error;
    zip_error_init(&error);
    m_handle->target = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (m_handle->target) {
        zip_source_keep(m_handle->target);
        m_handle->archive = zip_open_from_source(m_handle->target, ZIP_TRUNCATE, &error);
    }
    zip_error_fini(&error);
}

ZipWriter::ZipWriter(ZipWriter&&) noexcept = default;
ZipWriter& ZipWriter::operator=(ZipWriter&&) noexcept = default;
ZipWriter::~ZipWriter() = default;

bool ZipWriter::add(std::string_view name, std::string bytes, ZipCompression compression)
{
    if (!m_handle || !m_handle->archive || name.empty())
        return false;
    const std::string& data = m_handle->members.emplace_back(std::move(bytes));
    zip_source_t* source = zip_source_buffer(m_handle->archive, data.data(), data.size(), 0);
    if (!source)
        return false;
    const std::string terminated(name);
    const zip_int64_t index = zip_file_add(m_handle->archive, terminated.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source); // a name already taken: the source was not taken over
        m_handle->members.pop_back();
        return false;
    }
    const zip_int32_t method = compression == ZipCompression::Store ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    return zip_set_file_compression(m_handle->archive, static_cast<zip_uint64_t>(index), method, 0) == 0;
}

std::optional<std::string> ZipWriter::finish()
{
    if (!m_handle || !m_handle->archive)
        return std::nullopt;
    if (m_handle->members.empty()) {
        // libzip writes nothing for an archive without members: the end record alone.
        zip_discard(std::exchange(m_handle->archive, nullptr));
        return std::string("PK\x05\x06", 4) + std::string(18, '\0');
    }
    zip_t* archive = std::exchange(m_handle->archive, nullptr);
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return std::nullopt;
    }
    return readSource(m_handle->target);
}

}
