#pragma once

// Internal to the PDF layer: the only header that includes MuPDF. Callers outside platform/pdf
// never include it.

#include <mupdf/fitz.h>
#include <mupdf/pdf.h>

namespace ikw::pdf::detail {

// The calling thread's MuPDF context, cloned from the process's base context on first use and
// dropped when the thread ends. MuPDF objects may move between threads, but a context never does.
// Null only when MuPDF could not even allocate a context.
fz_context* threadContext();

}
