#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ikw {

// The text of an RTF document without its formatting: paragraphs (\par), sections and pages end
// with a line feed, as do line breaks (\line) and table cells and rows, so that each row ends with
// an empty line. None when the bytes are no RTF document (see readRtf).
std::optional<std::string> rtfPlainText(std::string_view rtf);

}
