#pragma once

// Internal to the PDF layer: the only header that includes MuPDF. Callers outside platform/pdf
// never include it.

#include <mupdf/fitz.h>
#include <mupdf/pdf.h>

#include <mutex>

namespace ikw::pdf::detail {

// The calling thread's MuPDF context, cloned from the process's base context on first use and
// dropped when the thread ends. MuPDF objects may move between threads, but a context never does.
// Null only when MuPDF could not even allocate a context.
fz_context* threadContext();

// Held by every call that works inside a document (opening, reading, copying, writing, recording a
// page). MuPDF 1.21 looks up resources written inline (colour spaces, fonts) by comparing them
// with those of every other open document, reading those documents as it goes; a document that
// another thread works in at that moment may be half-way through loading the object read. So one
// thread at a time works inside documents. Drawing a recorded page touches no document and runs
// outside the lock, which is where rendering spends its time.
using DocumentLock = std::lock_guard<std::recursive_mutex>;
std::recursive_mutex& documentMutex();

}
