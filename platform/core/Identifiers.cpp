#include "platform/core/Identifiers.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace ikw {

std::vector<unsigned char> randomBytes(std::size_t count)
{
    std::vector<unsigned char> bytes(count);
    std::size_t filled = 0;
    while (filled < count) {
        const ssize_t n = ::getrandom(bytes.data() + filled, count - filled, 0);
        if (n > 0)
            filled += static_cast<std::size_t>(n);
        else if (errno != EINTR)
            std::abort(); // no source of randomness at all: nothing safe can be named
    }
    return bytes;
}

std::string toHex(const unsigned char* bytes, std::size_t count)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 0xF];
    }
    return hex;
}

std::string randomHex(std::size_t count)
{
    const auto bytes = randomBytes(count);
    return toHex(bytes.data(), bytes.size());
}

std::string makeUuid()
{
    auto bytes = randomBytes(16);
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    char text[37];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X",
        bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7],
        bytes[8], bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

}
