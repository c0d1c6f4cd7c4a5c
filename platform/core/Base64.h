#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ikw {

// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks).
std::string encodeBase64(std::string_view bytes);

// Strict reading: the length is a multiple of four, padding only at the end, and any character
// outside the alphabet (white space and line breaks included) makes the text unreadable.
std::optional<std::string> decodeBase64(std::string_view text);

}
