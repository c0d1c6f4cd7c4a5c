#include "review/SchemeQuery.h"

namespace ikw::review {

namespace {

int hexValue(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

std::optional<std::string> percentDecoded(std::string_view text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '%') {
            decoded += text[at];
            continue;
        }
        if (at + 2 >= text.size())
            return std::nullopt;
        const int high = hexValue(text[at + 1]);
        const int low = hexValue(text[at + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        decoded += static_cast<char>(high * 16 + low);
        at += 2;
    }
    return decoded;
}

}

std::optional<SchemeQuery> SchemeQuery::parse(std::string_view url)
{
    const std::size_t fragment = url.find('#');
    if (fragment != std::string_view::npos)
        url = url.substr(0, fragment);
    const std::size_t question = url.find('?');
    if (question == std::string_view::npos)
        return std::nullopt;
    std::string_view query = url.substr(question + 1);

    SchemeQuery result;
    while (!query.empty()) {
        const std::size_t ampersand = query.find('&');
        const std::string_view item = query.substr(0, ampersand);
        query = ampersand == std::string_view::npos ? std::string_view() : query.substr(ampersand + 1);
        if (item.empty())
            continue;
        const std::size_t equals = item.find('=');
        std::optional<std::string> name = percentDecoded(item.substr(0, equals));
        if (!name)
            return std::nullopt;
        std::optional<std::string> value;
        if (equals != std::string_view::npos) {
            value = percentDecoded(item.substr(equals + 1));
            if (!value)
                return std::nullopt;
        }
        result.m_items.emplace_back(std::move(*name), std::move(value));
    }
    if (result.m_items.empty())
        return std::nullopt;
    return result;
}

std::optional<std::string> SchemeQuery::first(std::string_view name) const
{
    for (const Item& item : m_items) {
        if (item.first == name)
            return item.second;
    }
    return std::nullopt;
}

}
