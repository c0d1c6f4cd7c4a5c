#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ikw::wizard {

// White space and line ends, Unicode's as well as ASCII's, off both ends of UTF-8 text.
std::string_view trimUnicode(std::string_view text);
// ASCII letters lowered; every other byte kept, so UTF-8 stays intact.
std::string lowercasedAscii(std::string_view text);
// The scheme of a URL text, as written: what precedes the first ":" when that is a valid scheme
// (a letter, then letters, digits, "+", "-" or "."). Nothing for a text without one.
std::optional<std::string_view> urlScheme(std::string_view url);

}
