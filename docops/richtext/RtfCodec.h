#pragma once

#include "docops/richtext/CodecResult.h"
#include "docops/richtext/RichText.h"

#include <string>
#include <string_view>

namespace ikw::richtext {

// Reads an RTF document into the model: bold, italic, underline, the font (\f with the font
// table, \deff), the size (\fs), the text colour (\cf) and the highlight (\highlight, \cb,
// \chcbpat) with the colour table, the alignment (\ql \qc \qr \qj), paragraphs (\par, \sect and
// table cells), line breaks (\line, \page) and tabs. Text in the document's code page, \uN and
// \'hh escapes are decoded; destinations the model cannot hold (pictures, headers, \* groups)
// are skipped, fields keep their result. A document that is cut short, or that nests groups
// more than kMaxRtfNesting deep, is refused.
Result<Document> decodeRtf(std::string_view bytes);

// Writes the model as RTF: \rtf1\ansi\ansicpg1252, a font and a colour table for what the runs
// use, one \pard per paragraph and a group per run; everything outside ASCII is written as \uN.
// Fails only on text that is not UTF-8.
Result<std::string> encodeRtf(const Document& document);

}
