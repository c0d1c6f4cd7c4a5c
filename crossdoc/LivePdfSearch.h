#pragma once

#include "platform/core/Json.h"
#include "platform/pdf/Geometry.h"

#include <optional>
#include <string>
#include <vector>

namespace ikw::crossdoc {

// One occurrence of the query, as the result lists show it.
struct LiveSearchHit {
    int page = 0;          // 1-based
    std::string label;     // the page's label, else its number
    std::string snippet;
    std::string match;     // the page's own text of the occurrence
    bool ocr = false;
    // One per line of the occurrence, in the page's own space (PDF points); none for OCR text.
    std::vector<pdf::Rect> rects;
};

struct LiveSearchDocument {
    std::string path;
    std::string name;
    long long count = 0;              // occurrences counted (see the limits below)
    std::vector<LiveSearchHit> hits;  // the first ones, in page and text order
    bool ocr = false;                 // searched through its OCR text
};

struct ScannedDocument {
    std::string path;
    std::string name;
};

// What a live search found. Its JSON form is what the pages receive.
struct LiveSearchResult {
    std::string q;
    std::vector<LiveSearchDocument> docs; // most occurrences first; equal counts in scope order
    long long hitCount = 0;
    std::size_t scanned = 0;              // PDF files gathered from the scope
    bool truncated = false;
    std::string scope;                    // the first folder's name
    std::size_t scopeCount = 0;
    std::vector<ScannedDocument> scannedNoText; // without text and without OCR text
    int ocrUsed = 0;
    std::optional<std::string> note;      // "empty" or "short" for a query too short to search

    Json toJson() const;
};

// The limits of one search.
inline constexpr std::size_t kLiveMaxFiles = 4000;
inline constexpr std::size_t kLiveMaxDocuments = 300;
inline constexpr std::size_t kLiveMaxScannedNoText = 300;
inline constexpr std::size_t kLiveHitsPerDocument = 40;
// A document stops after the page where it holds all its hits and has counted more than this.
inline constexpr long long kLiveEnoughCounted = 160;
// Counting stops within a page once a document's count passes this.
inline constexpr long long kLiveMaxCount = 5000;
// User-perceived characters of context on each side of a match.
inline constexpr std::size_t kLiveSnippetRadius = 48;

// Searches the PDFs of a scope directly, without the index: the given files that exist, then the
// PDFs found in the folders, for every case-insensitive occurrence of `q` in their page text, or in
// their OCR text when they have no text layer. A query of fewer than 2 characters is answered at
// once without touching a file. Files that are no regular files, cannot be opened or are locked
// are passed over. Runs on any thread; every document is opened and closed by the call.
LiveSearchResult runPDFSearch(const std::string& q, const std::vector<std::string>& dirs, const std::vector<std::string>& explicitFiles);

}
