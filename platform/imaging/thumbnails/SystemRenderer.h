#pragma once

#include "platform/imaging/thumbnails/ImageModule.h"
#include "platform/imaging/thumbnails/ThumbnailRenderer.h"

#include <optional>
#include <string>
#include <string_view>

namespace ikw::thumbnail {

// Thumbnails from the machine's own libraries: PDFs through the PDF layer, everything else through
// the image module (gdk-pixbuf for images, the desktop's thumbnailers for the rest). Only regular
// files are rendered (a FIFO or a device would block the job). No renderer, or any failure: no image.
class SystemRenderer final : public ThumbnailRenderer {
public:
    explicit SystemRenderer(std::string imageModulePath = ImageModule::defaultPath()) : m_images(std::move(imageModulePath)) {}

    std::optional<std::string> render(const std::string& source, int pixelEdge) override
    {
        return renderInBox(source, PixelBox { pixelEdge, pixelEdge });
    }
    std::optional<std::string> renderInBox(const std::string& source, PixelBox box) override;

private:
    ImageModule m_images;
};

// The first kilobyte of a regular file (symbolic links followed); nothing for anything else or
// when it cannot be opened. Opening never blocks, whatever the path names.
std::optional<std::string> regularFileHead(const std::string& path);

// Whether the bytes hold "%PDF-", as PDF readers accept within a file's first kilobyte. Such a file
// is only a PDF candidate: other files may carry those bytes too.
bool looksLikePdf(std::string_view head);

}
