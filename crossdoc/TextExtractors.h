#pragma once

#include "crossdoc/Chunk.h"
#include "docops/OcrCache.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ikw::crossdoc {

// The recognised text of a scanned PDF by 1-based page, when the OCR cache holds a current entry.
using OcrLookup = std::function<std::optional<docops::OcrPageTexts>(const std::string& path)>;

// Zip members (parts of .docx and .xlsx packages) are read up to this many uncompressed bytes; a
// larger one counts as missing.
inline constexpr std::uint64_t kMaxPackageMemberBytes = 256ull << 20;

struct ExtractorOptions {
    // Text for PDFs without a text layer; without it they give no chunks.
    OcrLookup ocrLookup;
    // The converter of binary Word documents, run with the file's path appended; it prints the
    // text, one paragraph a line, in UTF-8.
    std::vector<std::string> wordConverter = { "antiword", "-w", "0", "-m", "UTF-8.txt" };
    // A converter running longer is ended with its whole process group, and the file gives nothing.
    double converterTimeoutSeconds = 60;
    std::uint64_t maxMemberBytes = kMaxPackageMemberBytes;
};

// Cuts one document file into chunks, in document order, by its document type (see
// DocumentTypes.h): "pdf", "docx" (also .doc), "xlsx", "rtf", the pointer files "gdoc", "gsheet"
// and "gslides", and every other type as plain text. Nothing is reported: a file that cannot be
// read or converted gives fewer chunks or none. Blocks; runs on the search index's queue.
std::vector<Chunk> extractChunks(const std::string& path, const std::string& type, const ExtractorOptions& options = {});

// One "page" chunk per page with text, when some page has a text layer; else the OCR text's pages.
// A locked or unreadable PDF gives nothing.
std::vector<Chunk> extractPDF(const std::string& path, const OcrLookup& ocrLookup);
// "para" chunks of a Word document: a .docx read in place, a binary .doc through the converter.
std::vector<Chunk> extractDocx(const std::string& path, const ExtractorOptions& options);
// "cell" chunks of every non-empty cell of every sheet.
std::vector<Chunk> extractXlsx(const std::string& path, std::uint64_t maxMemberBytes = kMaxPackageMemberBytes);
// "para" chunks of a rich-text document.
std::vector<Chunk> extractRTF(const std::string& path);
// "line" chunks of a text file, UTF-8 when it is valid UTF-8, else Latin-1.
std::vector<Chunk> extractText(const std::string& path);
// One "glink" chunk: the pointer file's title (its name) with the document's web link.
std::vector<Chunk> extractGDocPointer(const std::string& path);

}
