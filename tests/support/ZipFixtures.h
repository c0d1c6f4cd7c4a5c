#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ikw::testing {

// A member of a fixture archive: its name and uncompressed bytes.
using ZipMember = std::pair<std::string, std::string>;

// The bytes of a zip archive holding the members in order, deflated (libzip).
std::string zipBytes(const std::vector<ZipMember>& members);

// Rewrites the uncompressed size that the archive's headers (local and central) declare for a
// member, leaving its data as it is: an archive that lies about its size.
std::string withDeclaredSize(std::string zip, const std::string& member, std::uint32_t size);

// Marks a member as made on Unix with the file type and permission bits `mode` (st_mode): with
// S_IFLNK its bytes are a symbolic link's target. Mode 0 marks it as made on MS-DOS, without Unix
// attributes.
std::string withUnixMode(std::string zip, const std::string& member, std::uint32_t mode);

// A member with its Unix mode (0: none, as made on MS-DOS).
struct ModedZipMember {
    std::string name;
    std::string bytes;
    std::uint32_t mode = 0;
};

// An archive of the members in order, each marked with its mode.
std::string zipWithModes(const std::vector<ModedZipMember>& members);

}
