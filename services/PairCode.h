#pragma once

#include "app/Settings.h"
#include "platform/core/Json.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ikw::services {

// The characters of a code this computer makes: capitals and digits without I, L, O, 0 and 1,
// which read alike.
inline constexpr std::string_view kPairCodeAlphabet = "ABCDEFGHJKMNPQRSTUVWXYZ23456789";
inline constexpr std::size_t kPairCodeLength = 8;
// An adopted code may be shorter than one made here, but never below this.
inline constexpr std::size_t kShortestPairCode = 6;

// Uniformly random 64-bit values.
using Random64 = std::function<std::uint64_t()>;
// The system's secure generator.
std::uint64_t systemRandom64();

// Upper-cased, then only the capitals and digits kept, in order ("abcd-efgh" gives "ABCDEFGH").
std::string normalizedPairCode(std::string_view text);
// An 8-character code as "XXXX-XXXX"; any other length unchanged.
std::string pairCodeDisplayForm(const std::string& code);
// A new code of 8 characters of the alphabet. Values that would favour the first characters are
// drawn again rather than folded in.
std::string drawPairCode(const Random64& random);
// The code kept in loaded settings under "pair_code"; empty when the entry is absent, not text or
// empty.
std::string storedPairCode(const Json& settings);

// The computer's pairing code, kept in the settings file.
class PairCodeStore {
public:
    explicit PairCodeStore(SettingsStore settings, Random64 random = systemRandom64);
    // The process's settings file.
    static PairCodeStore process();

    // The stored code; when there is none, a new one made and stored first (generating), or the
    // empty string. A code that cannot be saved is logged by the settings and still returned.
    std::string pairCode(bool generateIfMissing);
    // Keeps `code` as the computer's code.
    void adopt(const std::string& code);

private:
    SettingsStore m_settings;
    Random64 m_random;
};

// The process's code (see PairCodeStore::pairCode). The one reader of "pair_code".
std::string pairCode(bool generateIfMissing);

}
