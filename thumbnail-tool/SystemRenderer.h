#pragma once

#include "thumbnail-tool/ThumbnailRenderer.h"

#include <string>

namespace ikw::thumbnail {

// Thumbnails from the machine's own libraries, chosen by the content type GIO detects: PDFs
// through the PDF layer, images through gdk-pixbuf, anything else through the desktop's
// thumbnailers. No renderer, or any failure: no image.
class SystemRenderer final : public ThumbnailRenderer {
public:
    std::optional<std::string> render(const std::string& source, int pixelEdge) override;
};

// The content type GIO detects for a file (a MIME type), or empty when the file is not there.
std::string contentTypeOf(const std::string& path);

}
