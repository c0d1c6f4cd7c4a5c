#include "platform/core/Json.h"

namespace ikw {

namespace {

std::string escapeForScripts(std::string text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // "/" only ever appears inside strings in JSON text, so every one can be escaped.
        if (c == '/') {
            out += "\\/";
        } else if (c == '\xE2' && i + 2 < text.size() && text[i + 1] == '\x80' && (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
            out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::string dump(const Json& value, int indent)
{
    // Invalid UTF-8 is replaced rather than thrown on.
    return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

}

std::string toJson(const Json& value)
{
    return escapeForScripts(dump(value, -1));
}

std::string toPrettyJson(const Json& value)
{
    return escapeForScripts(dump(value, 2));
}

std::string toPlainJson(const Json& value)
{
    return dump(value, -1);
}

std::optional<Json> parseJson(std::string_view text)
{
    Json value = Json::parse(text.begin(), text.end(), nullptr, false);
    if (value.is_discarded())
        return std::nullopt;
    return value;
}

std::string jsQuote(std::string_view text)
{
    return toJson(Json(std::string(text)));
}

}
