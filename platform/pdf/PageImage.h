#pragma once

#include "platform/pdf/Document.h"
#include "platform/pdf/Geometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ikw::pdf {

// How a bitmap's pixels are stored: three bytes (red, green, blue) or one byte of grey each.
enum class PixelFormat { Rgb, Grey };

// An opaque 8-bit bitmap: rows of width x channels() bytes, top row first.
struct PageImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    PixelFormat format = PixelFormat::Rgb;

    int channels() const { return format == PixelFormat::Rgb ? 3 : 1; }
    // Whether the pixels fill the bitmap exactly.
    bool isWhole() const;
};

// Larger bitmaps are refused rather than allocated.
inline constexpr long long kMaxPageImagePixels = 79'999'999;

// Renders the page's box, as the page is shown (turned by its rotation), onto white at the scale:
// each side is the box's side times the scale, rounded to the nearest pixel. None when a side
// would be under one pixel, the bitmap would have more than kMaxPageImagePixels pixels, or the
// page cannot be rendered. Reentrant: any thread may call it, each with its own document handle.
std::optional<PageImage> renderPageImage(const Document& document, int pageIndex, double scale, PageBox box,
    PixelFormat format = PixelFormat::Rgb);

// The same, fitted to a square of `longEdge` pixels: the longer side exactly that, the shorter one
// in proportion and at least one pixel (so a very narrow page still makes an image).
std::optional<PageImage> renderPageImageFitted(const Document& document, int pageIndex, int longEdge, PageBox box);
// The same, fitted to a box of `boxWidth` x `boxHeight` pixels: the largest size of the page's
// proportions within the box, each side at least one pixel.
std::optional<PageImage> renderPageImageInBox(const Document& document, int pageIndex, int boxWidth, int boxHeight, PageBox box);

// The bitmap as PNG file bytes; none when it cannot be encoded.
std::optional<std::string> encodePng(const PageImage& image);
// The bitmap as baseline JPEG file bytes at the quality (1 to 100; clamped); none when it cannot
// be encoded.
std::optional<std::string> encodeJpeg(const PageImage& image, int quality);

}
