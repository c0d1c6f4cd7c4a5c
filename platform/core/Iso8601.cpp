#include "platform/core/Iso8601.h"

#include "platform/core/Text.h"

#include <cstdio>

namespace ikw {

std::string iso8601Utc(std::time_t time)
{
    std::tm parts {};
    ::gmtime_r(&time, &parts);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", parts.tm_year + 1900, parts.tm_mon + 1,
        parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

std::optional<std::time_t> parseIso8601Utc(std::string_view text)
{
    // yyyy-MM-ddTHH:mm:ss[.fff]Z
    if (text.size() < 20 || text.back() != 'Z' || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const std::string_view fraction = text.substr(19, text.size() - 20);
    if (!fraction.empty() && (fraction.front() != '.' || fraction.size() < 2 || !parseInteger(fraction.substr(1))))
        return std::nullopt;
    auto field = [&](std::size_t at, std::size_t length) { return parseInteger(text.substr(at, length)); };
    const auto year = field(0, 4), month = field(5, 2), day = field(8, 2), hour = field(11, 2), minute = field(14, 2), second = field(17, 2);
    if (!year || !month || !day || !hour || !minute || !second)
        return std::nullopt;
    if (*month < 1 || *month > 12 || *day < 1 || *day > 31 || *hour > 23 || *minute > 59 || *second > 60)
        return std::nullopt;
    std::tm parts {};
    parts.tm_year = static_cast<int>(*year - 1900);
    parts.tm_mon = static_cast<int>(*month - 1);
    parts.tm_mday = static_cast<int>(*day);
    parts.tm_hour = static_cast<int>(*hour);
    parts.tm_min = static_cast<int>(*minute);
    parts.tm_sec = static_cast<int>(*second);
    return ::timegm(&parts);
}

}
