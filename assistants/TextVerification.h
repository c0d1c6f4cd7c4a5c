#pragma once

#include <string_view>

namespace ikw::assistants {

// Whether the quoted text really occurs in the PDF: `q`, trimmed of white space and line breaks,
// is looked for in each page's text on its own, byte for byte once both are in Unicode NFC (so
// composed and decomposed accents match, but letter case, accents and spacing count). An empty q
// is found in any PDF; nothing is found in bytes that are no PDF.
bool pdfContainsQuote(std::string_view pdfBytes, std::string_view q);

// The same for the reader's Base64 of the PDF (strict standard Base64): false for anything else.
bool base64PdfContainsQuote(std::string_view base64, std::string_view q);

}
