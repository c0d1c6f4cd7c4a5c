#include "services/PairCode.h"

#include "app/Globals.h"
#include "platform/core/Identifiers.h"

#include <cctype>
#include <limits>
#include <utility>

namespace ikw::services {

std::uint64_t systemRandom64()
{
    const auto bytes = randomBytes(sizeof(std::uint64_t));
    std::uint64_t value = 0;
    for (const unsigned char byte : bytes)
        value = (value << 8) | byte;
    return value;
}

std::string normalizedPairCode(std::string_view text)
{
    std::string code;
    code.reserve(text.size());
    for (const char c : text) {
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if ((upper >= 'A' && upper <= 'Z') || (upper >= '0' && upper <= '9'))
            code += upper;
    }
    return code;
}

std::string pairCodeDisplayForm(const std::string& code)
{
    if (code.size() != kPairCodeLength)
        return code;
    return code.substr(0, 4) + "-" + code.substr(4);
}

std::string drawPairCode(const Random64& random)
{
    constexpr std::uint64_t size = kPairCodeAlphabet.size();
    // 2^64 is no multiple of the alphabet's size: the values above the last whole run of it would
    // land on the first characters once more than on the others.
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    constexpr std::uint64_t highestKept = max - (max % size + 1) % size;
    std::string code;
    while (code.size() < kPairCodeLength) {
        const std::uint64_t value = random();
        if (value <= highestKept)
            code += kPairCodeAlphabet[value % size];
    }
    return code;
}

std::string storedPairCode(const Json& settings)
{
    const auto it = settings.find("pair_code");
    return it != settings.end() && it->is_string() ? it->get<std::string>() : std::string();
}

PairCodeStore::PairCodeStore(SettingsStore settings, Random64 random)
    : m_settings(std::move(settings))
    , m_random(std::move(random))
{
}

PairCodeStore PairCodeStore::process()
{
    return PairCodeStore(SettingsStore(globals().configPath));
}

std::string PairCodeStore::pairCode(bool generateIfMissing)
{
    Json settings = m_settings.load();
    if (std::string stored = storedPairCode(settings); !stored.empty() || !generateIfMissing)
        return stored;
    std::string code = drawPairCode(m_random);
    settings["pair_code"] = code;
    m_settings.save(settings);
    return code;
}

void PairCodeStore::adopt(const std::string& code)
{
    Json settings = m_settings.load();
    settings["pair_code"] = code;
    m_settings.save(settings);
}

std::string pairCode(bool generateIfMissing)
{
    return PairCodeStore::process().pairCode(generateIfMissing);
}

}
