#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace ikw {

using Json = nlohmann::json; // objects keep their keys sorted

// Compact JSON text. Forward slashes are written as "\/" and U+2028/U+2029 as escapes, so the
// text is safe inside a <script> element and inside a JavaScript string.
std::string toJson(const Json& value);
// Indented JSON text with keys sorted at every level, same escaping.
std::string toPrettyJson(const Json& value);
// Compact JSON text with plain slashes (for files read only by tools that care about bytes).
std::string toPlainJson(const Json& value);

// Parses JSON text; nothing on any syntax error (no exceptions leave this function).
std::optional<Json> parseJson(std::string_view text);

// A JavaScript string literal (double-quoted JSON string with the escaping above).
std::string jsQuote(std::string_view text);

}
