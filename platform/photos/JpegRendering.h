#pragma once

#include <optional>
#include <string>

namespace ikw::thumbnail {
class PixelBudget;
}

namespace ikw::photos {

// The image file fitted into `edge` x `edge` (JPEGs scaled while decoding, never enlarged, the
// EXIF orientation applied), transparency laid over white, as JPEG bytes at `quality` (0-100).
// Nothing when it cannot be decoded, exceeds the budget, or cannot be encoded.
std::optional<std::string> renderFittedJpeg(const std::string& path, int edge, int quality, thumbnail::PixelBudget& budget);

}
