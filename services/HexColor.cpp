#include "services/HexColor.h"

#include "platform/core/Text.h"
#include "platform/core/TextMetrics.h"

#include <cstdint>

namespace ikw::services {

namespace {

// The leading hexadecimal number of `text`; nothing when it has no digit where one must be.
std::optional<std::uint64_t> scanHexNumber(std::string_view text)
{
    // Trailing white space ends the digits like any other character, so trimming both ends
    // leaves the answer alone.
    text = trimWhitespaceAndNewlines(text);
    if (text.starts_with("0x") || text.starts_with("0X"))
        text.remove_prefix(2);
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (const char c : text) {
        const auto digit = hexDigitValue(c);
        if (!digit)
            break;
        value = value * 16 + static_cast<std::uint64_t>(*digit);
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

double channel(std::uint64_t value, int shift)
{
    return static_cast<double>((value >> shift) & 0xFF) / 255.0;
}

}

std::optional<SrgbColor> colorFromHexString(std::string_view text)
{
    if (text.starts_with('#'))
        text.remove_prefix(1);
    if (graphemeCount(text) != 6)
        return std::nullopt;
    const auto value = scanHexNumber(text);
    if (!value)
        return std::nullopt;
    return SrgbColor { channel(*value, 16), channel(*value, 8), channel(*value, 0), 1.0 };
}

}
