#pragma once

#include <string>
#include <string_view>

namespace ikw {

// Appends a code point as UTF-8; a surrogate or a value beyond U+10FFFF appends U+FFFD.
void appendUtf8(std::string& out, char32_t codePoint);
// ISO Latin-1 bytes as UTF-8 (every byte is a character of its own).
std::string latin1ToUtf8(std::string_view bytes);

}
