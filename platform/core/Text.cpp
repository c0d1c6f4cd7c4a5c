#include "platform/core/Text.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <locale.h>

namespace ikw {

std::string_view trim(std::string_view text)
{
    constexpr std::string_view spaces = " \t\r\n\f\v";
    const auto first = text.find_first_not_of(spaces);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(spaces);
    return text.substr(first, last - first + 1);
}

std::string asciiLowercase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::optional<int> hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return std::nullopt;
}

std::vector<std::string> split(std::string_view text, char separator, bool keepEmpty)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find(separator, start);
        std::string_view part = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (keepEmpty || !part.empty())
            parts.emplace_back(part);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return parts;
}

std::optional<long long> parseInteger(std::string_view text)
{
    if (text.starts_with("+"))
        text.remove_prefix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

namespace {
locale_t cLocale()
{
    static const locale_t locale = ::newlocale(LC_ALL_MASK, "C", nullptr);
    return locale;
}
}

std::optional<double> parseDouble(std::string_view text)
{
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front())))
        return std::nullopt;
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const double value = ::strtod_l(copy.c_str(), &end, cLocale());
    if (end != copy.c_str() + copy.size())
        return std::nullopt;
    return value;
}

std::string formatDouble(double value)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc())
        return "0";
    return std::string(buffer, end);
}

std::string formatFixed(double value, int decimals)
{
    char buffer[64];
    const locale_t previous = ::uselocale(cLocale());
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    ::uselocale(previous);
    return buffer;
}

}
