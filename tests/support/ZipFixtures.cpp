#include "tests/support/ZipFixtures.h"

#include "platform/core/ZipWriter.h"

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
    ZipWriter writer;
    for (const auto& [name, data] : members) {
        if (!writer.add(name, data))
            fail("cannot add a member");
    }
    auto bytes = writer.finish();
    if (!bytes)
        fail("cannot write the archive");
    return std::move(*bytes);
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

std::string withUnixMode(std::string zip, const std::string& member, std::uint32_t mode)
{
    bool found = false;
    for (std::size_t at = 0; at + 46 <= zip.size(); ++at) {
        if (read32(zip, at) != 0x02014b50)
            continue;
        const std::uint16_t nameLength = read16(zip, at + 28);
        if (nameLength == member.size() && zip.compare(at + 46, nameLength, member) == 0) {
            zip.at(at + 5) = mode == 0 ? 0 : 3; // made by: MS-DOS or Unix
            write32(zip, at + 38, mode << 16);
            found = true;
        }
    }
    if (!found)
        fail("no such member");
    return zip;
}

std::string zipWithModes(const std::vector<ModedZipMember>& members)
{
    std::vector<ZipMember> plain;
    for (const auto& member : members)
        plain.emplace_back(member.name, member.bytes);
    std::string zip = zipBytes(plain);
    for (const auto& member : members)
        zip = withUnixMode(zip, member.name, member.mode);
    return zip;
}

}
