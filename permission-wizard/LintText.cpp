#include "permission-wizard/LintText.h"

#include <utility>

namespace ikw::wizard {

namespace {

bool isWhiteSpace(char32_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680
        || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F
        || c == 0x3000;
}

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point that starts at `position` and its length; a malformed byte reads as one
// non-space unit.
std::pair<char32_t, std::size_t> codePointAt(std::string_view text, std::size_t position)
{
    constexpr std::pair<char32_t, std::size_t> malformed { 0xFFFD, 1 };
    const auto lead = static_cast<unsigned char>(text[position]);
    std::size_t length;
    char32_t value;
    if (lead < 0x80)
        return { lead, 1 };
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
    } else {
        return malformed;
    }
    if (position + length > text.size())
        return malformed;
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[position + i]);
        if (!isContinuation(byte))
            return malformed;
        value = (value << 6) | (byte & 0x3F);
    }
    return { value, length };
}

// Where the code point that ends at `end` starts, when it is well formed and white space.
std::optional<std::size_t> trailingSpaceStart(std::string_view text, std::size_t end)
{
    std::size_t start = end - 1;
    while (start > 0 && end - start < 4 && isContinuation(static_cast<unsigned char>(text[start])))
        --start;
    const auto [codePoint, length] = codePointAt(text, start);
    if (start + length != end || !isWhiteSpace(codePoint))
        return std::nullopt;
    return start;
}

bool isSchemeCharacter(char c, bool first)
{
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (first)
        return letter;
    return letter || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

}

std::string_view trimUnicode(std::string_view text)
{
    while (!text.empty()) {
        const auto [codePoint, length] = codePointAt(text, 0);
        if (!isWhiteSpace(codePoint))
            break;
        text.remove_prefix(length);
    }
    while (!text.empty()) {
        const auto start = trailingSpaceStart(text, text.size());
        if (!start)
            break;
        text = text.substr(0, *start);
    }
    return text;
}

std::string lowercasedAscii(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lowered;
}

std::optional<std::string_view> urlScheme(std::string_view url)
{
    const auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return std::nullopt;
    const std::string_view scheme = url.substr(0, colon);
    for (std::size_t i = 0; i < scheme.size(); ++i) {
        if (!isSchemeCharacter(scheme[i], i == 0))
            return std::nullopt;
    }
    return scheme;
}

}
