#include "platform/core/Base64.h"

#include <array>
#include <cstdint>

namespace ikw {

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kNotInAlphabet = -1;

constexpr std::array<int, 256> makeDecodeTable()
{
    std::array<int, 256> table {};
    table.fill(kNotInAlphabet);
    for (std::size_t i = 0; i < kAlphabet.size(); ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int>(i);
    return table;
}

constexpr std::array<int, 256> kDecodeTable = makeDecodeTable();

}

std::string encodeBase64(std::string_view bytes)
{
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8
            | static_cast<unsigned char>(bytes[i + 2]);
        text += kAlphabet[group >> 18 & 63];
        text += kAlphabet[group >> 12 & 63];
        text += kAlphabet[group >> 6 & 63];
        text += kAlphabet[group & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2)
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        text += kAlphabet[group >> 18 & 63];
        text += kAlphabet[group >> 12 & 63];
        text += rest == 2 ? kAlphabet[group >> 6 & 63] : '=';
        text += '=';
    }
    return text;
}

std::optional<std::string> decodeBase64(std::string_view text)
{
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=')
        ++padding;
    const std::string_view digits = text.substr(0, text.size() - padding);

    std::string bytes;
    bytes.reserve(digits.size() / 4 * 3 + 2);
    std::uint32_t group = 0;
    int bits = 0;
    for (const char c : digits) {
        const int value = kDecodeTable[static_cast<unsigned char>(c)];
        if (value == kNotInAlphabet)
            return std::nullopt;
        group = group << 6 | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>(group >> bits & 0xFF);
        }
    }
    return bytes;
}

}
