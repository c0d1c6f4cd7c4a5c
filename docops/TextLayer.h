#pragma once

#include <string_view>

namespace ikw::pdf {
class Document;
}

namespace ikw::docops {

// Whether a PDF carries a text layer: some page's text, trimmed of white space and line ends, has
// at least 8 user-perceived characters. Pages are read in order until one does; a document
// without pages has none. Scanned documents fail it and are searched through their OCR text.
bool docHasTextLayer(const pdf::Document& document);
// The test of one page's text: 8 or more characters once trimmed.
bool isTextLayerPage(std::string_view pageText);

}
