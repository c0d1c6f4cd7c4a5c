#pragma once

#include "docops/OcrCache.h"

#include <functional>
#include <string>
#include <vector>

namespace ikw::ocr {
class TextRecognizer;
}
namespace ikw::pdf {
struct PageImage;
}

namespace ikw::docops {

// At most this many pages of one PDF are recognised in a run.
inline constexpr int kMaxOcrPages = 1000;

// The recognised lines of a page image.
std::vector<std::string> ocrImage(const pdf::PageImage& image, ocr::TextRecognizer& recognizer);

// Told after each page: pages done and pages to do.
using OcrPageProgress = std::function<void(int done, int total)>;

// Recognises the first min(page count, 1000) pages of a PDF, one page image at a time (drawn at
// twice its size over the media box): one record per page, in order, with empty text for a page
// that cannot be drawn. Nothing for a file that is not a regular file, a locked or damaged PDF.
// Runs on the caller's thread, which should not be the main one.
std::vector<OcrPageRecord> runOCRDoc(const std::string& path, ocr::TextRecognizer& recognizer, const OcrPageProgress& progress = {});

}
