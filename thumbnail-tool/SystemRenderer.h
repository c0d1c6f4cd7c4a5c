#pragma once

#include "thumbnail-tool/ImageModule.h"
#include "thumbnail-tool/ThumbnailRenderer.h"

#include <string>

namespace ikw::thumbnail {

// Thumbnails from the machine's own libraries: PDFs through the PDF layer, everything else through
// the image module (gdk-pixbuf for images, the desktop's thumbnailers for the rest). No renderer,
// or any failure: no image.
class SystemRenderer final : public ThumbnailRenderer {
public:
    explicit SystemRenderer(std::string imageModulePath = ImageModule::defaultPath()) : m_images(std::move(imageModulePath)) {}
    std::optional<std::string> render(const std::string& source, int pixelEdge) override;

private:
    ImageModule m_images;
};

// Whether the file starts like a PDF: "%PDF-" within its first kilobyte, as PDF readers accept.
bool looksLikePdf(const std::string& path);

}
