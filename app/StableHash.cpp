#include "app/StableHash.h"

#include <cstdint>
#include <cstdio>

namespace ikw {

std::string ikwStableHash(std::string_view text)
{
    constexpr std::uint64_t kOffsetBasis = 0x14650fb0739d0383ULL;
    constexpr std::uint64_t kPrime = 0x100000001b3ULL;
    std::uint64_t hash = kOffsetBasis;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= kPrime;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return digits;
}

}
