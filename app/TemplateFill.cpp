#include "app/TemplateFill.h"

namespace ikw {

namespace {

bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isWordCharacter(char c) { return isUpper(c) || (c >= '0' && c <= '9'); }

// The placeholder starting at `at` ("__", upper-case words joined by single "_", "__"), or empty.
std::string_view placeholderAt(std::string_view page, std::size_t at)
{
    std::size_t end = at + 2;
    if (end >= page.size() || !isUpper(page[end]))
        return {};
    while (end < page.size()
        && (isWordCharacter(page[end]) || (page[end] == '_' && end + 1 < page.size() && isWordCharacter(page[end + 1]))))
        ++end;
    if (page.substr(end, 2) != "__")
        return {};
    return page.substr(at, end + 2 - at);
}

// In JSON text a "<" can only stand inside a string, where "\u003c" reads the same. Inside a
// script element a raw one could start "<!--" or "<script", which change how the element ends.
std::string escapeAngleBrackets(const std::string& json)
{
    std::string escaped;
    escaped.reserve(json.size());
    for (const char c : json) {
        if (c == '<')
            escaped += "\\u003c";
        else
            escaped += c;
    }
    return escaped;
}

}

TemplateValue TemplateValue::html(std::string_view text)
{
    // A pre-filled value (the brand) is filled again with the opener's values: "_&#95;" keeps a
    // double underscore from forming a placeholder then.
    std::string escaped;
    for (const char c : htmlEscape(text)) {
        if (c == '_' && !escaped.empty() && escaped.back() == '_')
            escaped += "&#95;";
        else
            escaped += c;
    }
    return TemplateValue(std::move(escaped));
}

TemplateValue TemplateValue::string(std::string_view text)
{
    return TemplateValue(escapeAngleBrackets(jsQuote(text)));
}

TemplateValue TemplateValue::verbatim(std::string_view text)
{
    return TemplateValue(std::string(text));
}

TemplateValue TemplateValue::json(const Json& value)
{
    return TemplateValue(escapeAngleBrackets(toJson(value)));
}

std::string fillTemplate(std::string_view page, const TemplateValues& values)
{
    std::string filled;
    filled.reserve(page.size());
    std::size_t at = 0;
    while (at < page.size()) {
        const std::size_t next = page.find("__", at);
        if (next == std::string_view::npos) {
            filled.append(page.substr(at));
            break;
        }
        filled.append(page.substr(at, next - at));
        const std::string_view word = placeholderAt(page, next);
        const auto value = word.empty() ? values.end() : values.find(word);
        if (value == values.end()) {
            filled += '_';
            at = next + 1;
            continue;
        }
        filled += value->second.text();
        at = next + word.size();
    }
    return filled;
}

std::string htmlEscape(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

}
