#pragma once

#include "crossdoc/Chunk.h"

#include <string_view>
#include <vector>

namespace ikw::crossdoc {

// Cuts text into chunks of lines or of paragraphs. Lines end at every line feed, vertical tab,
// form feed, carriage return, next line, line separator and paragraph separator, each a break of
// its own (so CR LF leaves an empty line between its two breaks); a line of nothing but spaces
// and tabs is blank.
// - Line mode: each non-blank line, unchanged, anchored `labelPrefix` + its 1-based number
//   among all lines.
// - Paragraph mode: each run of non-blank lines, joined by single spaces and trimmed, anchored
//   `labelPrefix` + its 1-based number among the runs that gave text.
std::vector<Chunk> paragraphChunks(std::string_view text, std::string_view atype, std::string_view labelPrefix, bool lineBased);

}
