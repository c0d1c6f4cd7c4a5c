#pragma once

#include "platform/core/FileSystem.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ikw::docops {

// The OCR cache: the recognised text of scanned PDFs, one JSON file per version of a file
// ({"path": ..., "pages": [{"page": 1, "text": ...}, ...]}), named by the file's cache key.
// Everything here may be called from any thread.

// The cache folder, "ocr" in the product's data folder ($XDG_DATA_HOME/Inkwarden/ocr). Not created.
std::string ocrCacheFolder();

// The cache key of a file: the SHA-256, in lower-case hex, of its path exactly as given, "|", its
// modification time in whole seconds since 1970 (truncated toward zero), "|" and its size in bytes.
// Any change that moves the date or the size gives a new key, so a stale entry is never read.
// None when the file cannot be looked at.
std::optional<std::string> ocrCacheKey(const std::string& path);

// The cache folder, created (with the folders above it) first; none when it cannot be made.
std::optional<std::string> ocrCacheDir(FileSystem& files = realFileSystem());

// The recognised text of one page: its lines joined with "\n", empty when the page could not be
// drawn or nothing was read.
struct OcrPageRecord {
    int page = 0;
    std::string text;
    bool operator==(const OcrPageRecord&) const = default;
};

// Writes the cache file of a PDF: {"path": path, "pages": [{"page", "text"}, ...]}, compact. The
// file is replaced in one step, so that a reader, a crash or a second writer never sees a torn
// file; when the write fails the previous file stays as it was. False when the file has no key or
// the file could not be written.
bool ocrCacheWrite(const std::string& path, const std::vector<OcrPageRecord>& pages, FileSystem& files = realFileSystem());

// Page texts by 1-based page number.
using OcrPageTexts = std::map<int, std::string>;

// The cached page texts of a PDF. Entries without an integer "page" or without a non-empty string
// "text" are passed over; a later entry for a page replaces an earlier one. None when there is no
// key, no readable cache file, no JSON object with a "pages" array of objects, or no usable entry.
std::optional<OcrPageTexts> ocrCacheRead(const std::string& path);

}
