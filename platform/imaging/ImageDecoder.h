#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ikw::imaging {

// 8-bit RGBA with straight (not premultiplied) alpha: rows of width x 4 bytes, top row first.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// Larger images are refused before they are decoded (4 bytes a pixel: 400 MB).
inline constexpr long long kMaxDecodedPixels = 100'000'000;

// The image file at full size, turned upright by its orientation tag; the first frame of an
// animation. Resolution metadata plays no part. None when the path is not a regular file, no loader
// reads it, or it is larger than kMaxDecodedPixels.
std::optional<RgbaImage> decodeImageFile(const std::string& path);

}
