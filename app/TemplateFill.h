#pragma once

#include "platform/core/Json.h"

#include <map>
#include <string>
#include <string_view>

namespace ikw {

// A value for a placeholder of a built-in page, already escaped for the place the placeholder
// stands in: markup, a script string, or any other script literal.
class TemplateValue {
public:
    // Text in markup or in a double-quoted attribute.
    static TemplateValue html(std::string_view text);
    // A JavaScript string literal, quotes included. Its "<" and "/" are escaped, so nothing in it
    // can end or reopen the script element it stands in.
    static TemplateValue string(std::string_view text);
    // A list, number, boolean or object as a script literal, escaped the same way.
    static TemplateValue json(const Json& value);
    // Text inserted as given: the caller has made it safe for its place.
    static TemplateValue verbatim(std::string_view text);

    const std::string& text() const { return m_text; }

private:
    explicit TemplateValue(std::string text) : m_text(std::move(text)) {}
    std::string m_text;
};

// Placeholder words with their surrounding double underscores ("__DOC__", "__START_MODE__") to values.
using TemplateValues = std::map<std::string, TemplateValue, std::less<>>;

// Replaces every placeholder of `values` in one pass over `page`: text that a value brings in is
// never read again, so a value can never be taken for a placeholder. Unknown placeholders stay.
std::string fillTemplate(std::string_view page, const TemplateValues& values);

// The five characters that can change the meaning of markup or a quoted attribute.
std::string htmlEscape(std::string_view text);

}
