#include "review/UrlQuery.h"
#include "review/PagePath.h"

#include "platform/core/Text.h"
#include "platform/core/TextMetrics.h"

#include <glib.h>

#include <memory>

namespace ikw {

namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool hasScheme(std::string_view url)
{
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || !isAsciiLetter(url.front()))
        return false;
    for (const char c : url.substr(0, colon)) {
        if (!(isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))
            return false;
    }
    return true;
}

// A URL reaches us already encoded; raw spaces or control characters mean it is not one.
bool isWellFormed(std::string_view url)
{
    if (!hasScheme(url))
        return false;
    for (const char c : url) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f)
            return false;
    }
    return true;
}

std::optional<std::string> percentDecode(std::string_view text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const auto high = hexDigitValue(text[i + 1]);
        const auto low = hexDigitValue(text[i + 2]);
        // A NUL byte would cut a path short where it is handed to the system.
        if (!high || !low || *high * 16 + *low == 0)
            return std::nullopt;
        decoded += static_cast<char>(*high * 16 + *low);
        i += 2;
    }
    if (!isValidUtf8(decoded))
        return std::nullopt;
    return decoded;
}

}

std::optional<std::string> urlQuery(std::string_view url, std::string_view name)
{
    if (!isWellFormed(url))
        return std::nullopt;
    const std::size_t question = url.find('?');
    if (question == std::string_view::npos)
        return std::nullopt;
    std::string_view query = url.substr(question + 1);
    query = query.substr(0, query.find('#'));
    for (const std::string& item : split(query, '&')) {
        const std::size_t equals = item.find('=');
        const auto itemName = percentDecode(std::string_view(item).substr(0, equals));
        if (!itemName || *itemName != name)
            continue;
        if (equals == std::string::npos)
            return std::nullopt;
        return percentDecode(std::string_view(item).substr(equals + 1));
    }
    return std::nullopt;
}

std::vector<QueryItem> queryItems(std::string_view url)
{
    std::vector<QueryItem> items;
    const std::size_t question = url.find('?');
    if (!isWellFormed(url) || question == std::string_view::npos)
        return items;
    std::string_view query = url.substr(question + 1);
    query = query.substr(0, query.find('#'));
    for (const std::string& item : split(query, '&')) {
        const std::size_t equals = item.find('=');
        auto name = percentDecode(std::string_view(item).substr(0, equals));
        if (!name)
            continue;
        if (equals == std::string::npos) {
            items.push_back({ std::move(*name), std::nullopt });
            continue;
        }
        auto value = percentDecode(std::string_view(item).substr(equals + 1));
        if (value)
            items.push_back({ std::move(*name), std::move(value) });
    }
    return items;
}

std::vector<std::string> queryPathList(std::string_view url, std::string_view name)
{
    std::vector<std::string> paths;
    const auto value = urlQuery(url, name);
    if (!value)
        return paths;
    for (std::string& piece : split(*value, '\n', false)) {
        if (checkedPagePath(piece, PathNeed::Existing))
            paths.push_back(std::move(piece));
    }
    return paths;
}

std::optional<long long> queryInteger(std::string_view url, std::string_view name)
{
    const auto value = urlQuery(url, name);
    return value ? parseQueryInteger(*value) : std::nullopt;
}

std::optional<long long> parseQueryInteger(std::string_view value)
{
    if (value.starts_with("+-") || value.starts_with("++"))
        return std::nullopt;
    return parseInteger(value);
}

std::optional<std::string> queryCode(std::string_view url, std::string_view name)
{
    const auto value = urlQuery(url, name);
    if (!value)
        return std::nullopt;
    const std::unique_ptr<gchar, decltype(&g_free)> upper(g_utf8_strup(value->c_str(), static_cast<gssize>(value->size())), g_free);
    std::string code;
    for (const gchar* character = upper.get(); *character;) {
        const gchar* next = g_utf8_next_char(character);
        if (g_unichar_isalnum(g_utf8_get_char(character)))
            code.append(character, next);
        character = next;
    }
    return code;
}

}
