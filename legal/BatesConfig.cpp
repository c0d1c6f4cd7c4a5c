#include "legal/BatesConfig.h"

#include "platform/core/Identifiers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace ikw::legal {

namespace {

// No page shows more digits than this; a larger pad (it comes unchecked from the page) would
// only exhaust memory.
constexpr std::int64_t maxLabelDigits = 64;

}

std::string BatesConfig::label(std::int64_t number) const
{
    const int width = static_cast<int>(std::clamp<std::int64_t>(pad, 1, maxLabelDigits));
    char digits[maxLabelDigits + 24];
    std::snprintf(digits, sizeof digits, "%0*lld", width, static_cast<long long>(number));
    return prefix + digits;
}

std::string BatesConfig::settingsHash() const
{
    const std::string text = prefix + "|" + std::to_string(pad) + "|" + std::string(rawValue(position)) + "|"
        + std::to_string(wholePoints(fontSize)) + "|" + std::to_string(wholePoints(margin)) + "|"
        + (nameByBates ? "true" : "false");
    return sha256Hex(text).substr(0, 8);
}

std::int64_t wholePoints(double points)
{
    if (std::isnan(points))
        return 0;
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (points >= limit)
        return std::numeric_limits<std::int64_t>::max();
    if (points <= -limit)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(points);
}

}
