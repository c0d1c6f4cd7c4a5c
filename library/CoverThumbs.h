#pragma once

#include "platform/pdf/PageImage.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace ikw::library {

// Small JPEG pictures of a PDF's first page, base64-encoded, for the paired library to show.
// Blank pages and pictures that would be too large give nothing.
namespace cover_thumbs {

inline constexpr int kTargetWidth = 240;
inline constexpr std::size_t kMaxBytes = 524288;
inline constexpr int kBackfillCap = 60;
inline constexpr int kJpegQuality = 72;
inline constexpr double kBlankSpread = 0.05;
inline constexpr int kBlankSamples = 40;

// The bitmap as JPEG bytes at the quality; nothing when it cannot be encoded.
using JpegEncoder = std::function<std::optional<std::string>(const pdf::PageImage& image, int quality)>;

// The first page's crop box, as the page is shown, 240 pixels wide (narrower pages keep their
// size) on white, as base64 JPEG. Nothing for anything but a regular file holding a PDF with a
// page, for a page of one point or less a side, a blank page, or a picture over kMaxBytes.
// Any thread but the main one: the document is opened with this thread's own context.
std::optional<std::string> renderPageOne(const std::string& path, const JpegEncoder& encode = pdf::encodeJpeg);

// Whether the bitmap's sampled pixels (at most 40 per row and per column) all lie within a
// luminance spread of 0.05: a page of any one colour is blank.
bool isBlank(const pdf::PageImage& image);

// renderPageOne for callers that may be on any thread: on the main thread it gives nothing, since
// documents are never rendered there.
std::optional<std::string> pageOneJpegBase64(const std::string& path);

}

}
