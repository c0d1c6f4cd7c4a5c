#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

// A random (version 4) UUID in upper case, 36 characters: "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
std::string makeUuid();
// Lower-case hex of the SHA-256 of the bytes.
std::string sha256Hex(std::string_view bytes);
// True when `signature` (64 bytes) is a valid Ed25519 signature of `message` by the holder of
// `publicKey` (32 raw bytes). Any other length, or a key that is not a curve point, is false.
bool verifyEd25519(std::string_view publicKey, std::string_view message, std::string_view signature);
// Lower-case hex of the SHA-256 of a regular file's bytes (symbolic links followed), read in
// pieces so that a file of any size hashes in little memory. Nothing when the path is not a
// regular file or a read fails.
std::optional<std::string> sha256HexOfFile(const std::string& path);
// `count` random bytes from the system's generator, as lower-case hex.
std::string randomHex(std::size_t count);
std::vector<unsigned char> randomBytes(std::size_t count);
std::string toHex(const unsigned char* bytes, std::size_t count);

}
