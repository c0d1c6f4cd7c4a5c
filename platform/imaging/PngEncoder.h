#pragma once

#include "platform/imaging/ImageDecoder.h"

#include <optional>
#include <string>

namespace ikw::imaging {

// The image made no wider than `maxWidth` (its proportions kept); narrower images stay as they are.
RgbaImage limitedToWidth(const RgbaImage& image, int maxWidth);
// The PNG file bytes of the image; none for an empty image.
std::optional<std::string> encodePng(const RgbaImage& image);

}
