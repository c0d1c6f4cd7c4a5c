#pragma once

#include "platform/imaging/ImageDecoder.h"

#include <optional>
#include <cstdint>
#include <string>
#include <vector>

namespace ikw::imaging {

// The image made no wider than `maxWidth`, never larger: both sides scaled by
// min(1, maxWidth / width) and cut down to whole pixels, at least one each. Scaled with the
// best filter gdk-pixbuf has; alpha is kept.
RgbaImage limitedToWidth(const RgbaImage& image, int maxWidth);
// The PNG file bytes of the image, alpha included; none for an empty image.
std::optional<std::string> encodePng(const RgbaImage& image);

// Packed 8-bit RGB rows (width x 3 bytes, top row first) as PNG file bytes; none when the pixels do
// not fill the size.
std::optional<std::string> encodeRgbPng(int width, int height, const std::vector<std::uint8_t>& rgb);

// An image file (any type gdk-pixbuf reads) as the Base64 text of a PNG no wider than
// `maxWidth`; none when the file cannot be read as an image.
std::optional<std::string> signPngBase64(const std::string& path, int maxWidth = 1600);

}
