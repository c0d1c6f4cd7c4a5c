#include "tests/support/ZipFixtures.h"

#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace ikw::testing {

namespace {

[[noreturn]] void fail(const char* what)
{
    std::cerr << "zip fixture: " << what << "\n";
    std::abort();
}

std::uint32_t read32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int index = 3; index >= 0; --index)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(index)));
    return value;
}

std::uint16_t read16(const std::string& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes.at(at)) | (static_cast<unsigned char>(bytes.at(at + 1)) << 8));
}

void write32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int index = 0; index < 4; ++index)
        bytes.at(at + static_cast<std::size_t>(index)) = static_cast<char>((value >> (8 * index)) & 0xFF);
}

}

std::string zipBytes(const std::vector<ZipMember>& members)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!target)
        fail("no buffer source");
    zip_source_keep(target);
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    if (!archive)
        fail("cannot open the buffer");
    for (const auto& [name, data] : members) {
        zip_source_t* source = zip_source_buffer(archive, data.data(), data.size(), 0);
        if (!source || zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0)
            fail("cannot add a member");
    }
    if (zip_close(archive) != 0)
        fail("cannot write the archive");
    std::string bytes;
    if (zip_source_open(target) != 0)
        fail("cannot read the archive back");
    char buffer[8192];
    zip_int64_t read = 0;
    while ((read = zip_source_read(target, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<std::size_t>(read));
    zip_source_close(target);
    zip_source_free(target);
    return bytes;
}

std::string withDeclaredSize(std::string zip, const std::string& member, std::uint32_t size)
{
    bool found = false;
    for (std::size_t at = 0; at + 46 <= zip.size(); ++at) {
        const std::uint32_t signature = read32(zip, at);
        if (signature == 0x04034b50 && at + 30 <= zip.size()) {
            const std::uint16_t nameLength = read16(zip, at + 26);
            if (zip.compare(at + 30, nameLength, member) == 0 && nameLength == member.size()) {
                write32(zip, at + 22, size);
                found = true;
            }
        } else if (signature == 0x02014b50) {
            const std::uint16_t nameLength = read16(zip, at + 28);
            if (zip.compare(at + 46, nameLength, member) == 0 && nameLength == member.size())
                write32(zip, at + 24, size);
        }
    }
    if (!found)
        fail("no such member");
    return zip;
}

}
