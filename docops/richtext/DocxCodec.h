#pragma once

#include "docops/richtext/CodecResult.h"
#include "docops/richtext/RichText.h"

#include <string>

namespace ikw {
class ZipArchive;
}

namespace ikw::richtext {

// Reads the body of a Word package (word/document.xml) into the model: paragraphs (w:p) with
// their alignment (w:jc), runs (w:r) with bold, italic, underline, font (w:rFonts, theme fonts
// resolved), size, colour, highlight and shading, text (w:t, trimmed unless xml:space says
// preserve), tabs and line breaks. Paragraph and character styles and the document defaults of
// word/styles.xml are resolved onto the runs. Table cells give their paragraphs in reading order,
// text boxes theirs after the paragraph they are anchored in; deleted text, field codes,
// pictures, comments, notes, headers and footers are left out. Parts are read within bounds
// (kMaxDocumentPartBytes, kMaxSupportPartBytes) and never load or expand entities.
Result<Document> decodeDocx(const ZipArchive& archive);

// A minimal Word package of the model: [Content_Types].xml, _rels/.rels, word/document.xml,
// word/_rels/document.xml.rels and word/styles.xml (which sets nothing, so that what the runs
// do not set is the reading program's default). Every attribute is written on its run. Fails
// only on text that is not UTF-8.
Result<std::string> encodeDocx(const Document& document);

}
