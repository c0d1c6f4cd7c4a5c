#pragma once

// Internal to the PDF layer: the one loader of a page's structured text, so that every reading of
// a page's text (its text, its lines, its layout) sees the same characters in the same order.

#include "platform/pdf/MuPdfContext.h"

namespace ikw::pdf::detail {

// The page's structured text, owned by the caller; null when the page cannot be read. Call it
// under the document lock.
fz_stext_page* loadTextPage(fz_context* context, pdf_document* document, int index);

}
