#pragma once

#include "platform/core/Json.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ikw {

// Script literals for calls into pages, every string made by jsQuote.
// ["a","b"]
std::string jsStringArray(const std::vector<std::string>& items);
// {"key":"value",...}, entries in the given order.
std::string jsStringObject(const std::vector<std::pair<std::string, std::string>>& entries);
// The inside of a single-quoted literal: each backslash doubled, then each single quote preceded
// by a backslash, then each line feed and carriage return replaced by a blank.
std::string jsEsc(std::string_view text);

// "if(window.f)try{f(<payload as JSON>)}catch(e){}": how the engine runner's answers reach a
// page. Nothing when the payload is not an object or an array, or the name is not a plain
// identifier (it is written into the script unquoted).
std::optional<std::string> jsonInjectionScript(std::string_view function, const Json& payload);

}
