#pragma once

#include "docops/richtext/CodecResult.h"
#include "docops/richtext/RichText.h"

#include <string>
#include <string_view>

namespace ikw::richtext {

// UTF-8 text, one paragraph a line, each paragraph one run without attributes. Line ends (LF,
// CRLF, CR) and a leading byte order mark are kept, so that a document written back unchanged is
// the same bytes. Invalid UTF-8 and NUL bytes are refused, never replaced.
Result<Document> decodePlainText(std::string_view bytes);

// The text of every paragraph, each but the last followed by its line end; attributes and
// alignment are not written. Fails only on text that is not UTF-8.
Result<std::string> encodePlainText(const Document& document);

}
