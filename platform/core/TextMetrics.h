#pragma once

#include <cstddef>
#include <string_view>

namespace ikw {

// Unicode measures of UTF-8 text (ICU). Kept apart from Text.h so that small programs that only
// need the plain text helpers do not load ICU.

bool isValidUtf8(std::string_view text);
// Length in UTF-16 code units, as page scripts count strings. Invalid UTF-8 counts as U+FFFD.
std::size_t utf16Length(std::string_view utf8);
// User-perceived characters (extended grapheme clusters).
std::size_t graphemeCount(std::string_view utf8);

}
