#pragma once

#include "platform/imaging/thumbnails/ThumbnailRenderer.h"

#include <string>

namespace ikw::thumbnail {

// The first page on white as it is shown (crop box, rotation), fitted to the box, as PNG bytes.
// Each worker thread opens its own document handle; the PDF layer gives each thread its own
// context.
std::optional<std::string> renderPdfFirstPage(const std::string& path, PixelBox box);
inline std::optional<std::string> renderPdfFirstPage(const std::string& path, int pixelEdge)
{
    return renderPdfFirstPage(path, PixelBox { pixelEdge, pixelEdge });
}

}
