#pragma once

#include "platform/imaging/thumbnails/PixelBudget.h"
#include "platform/imaging/thumbnails/images/Pixbuf.h"

#include <cstdint>
#include <string>

namespace ikw::thumbnail {

// Whether gdk-pixbuf has a loader for the MIME type.
bool isPixbufImageType(const std::string& mimeType);

// The pixels a decoder holds to bring a `width` x `height` image of the format (gdk-pixbuf's name:
// "png", "jpeg", "svg"...) to `fitted`: JPEG decodes at 1/2, 1/4 or 1/8 of its size, SVG at the
// fitted size, every other format whole.
std::uint64_t decodePixels(const std::string& format, int width, int height, FittedSize fitted);

// Decodes the image at the size that fits the square (the longer edge exactly `pixelEdge`, the
// shorter at least one pixel), turned by its EXIF orientation, never enlarged beyond its own pixels.
// PNGs are read row by row; other formats hold their decode in `budget` while they decode, and
// an image beyond the whole budget gives nothing.
Pixbuf loadImageFitted(const std::string& path, int pixelEdge, PixelBudget& budget);

}
