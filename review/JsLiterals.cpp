#include "review/JsLiterals.h"

namespace ikw {

namespace {

bool isIdentifier(std::string_view name)
{
    if (name.empty() || (name.front() >= '0' && name.front() <= '9'))
        return false;
    for (const char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
        if (!ok)
            return false;
    }
    return true;
}

}

std::string jsStringArray(const std::vector<std::string>& items)
{
    std::string literal = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i)
            literal += ',';
        literal += jsQuote(items[i]);
    }
    return literal + "]";
}

std::string jsStringObject(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string literal = "{";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i)
            literal += ',';
        literal += jsQuote(entries[i].first) + ":" + jsQuote(entries[i].second);
    }
    return literal + "}";
}

std::string jsEsc(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        if (c == '\\' || c == '\'')
            out += '\\';
        out += (c == '\n' || c == '\r') ? ' ' : c;
    }
    return out;
}

std::optional<std::string> jsonInjectionScript(std::string_view function, const Json& payload)
{
    if (!isIdentifier(function) || !(payload.is_object() || payload.is_array()))
        return std::nullopt;
    const std::string name(function);
    return "if(window." + name + ")try{" + name + "(" + toJson(payload) + ")}catch(e){}";
}

}
