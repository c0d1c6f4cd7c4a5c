#include "platform/imaging/thumbnails/PdfRenderer.h"

#include "platform/pdf/Document.h"
#include "platform/pdf/PageImage.h"

namespace ikw::thumbnail {

std::optional<std::string> renderPdfFirstPage(const std::string& path, PixelBox box)
{
    const auto document = pdf::Document::openFile(path);
    if (!document || document->pageCount() < 1)
        return std::nullopt;
    const auto image = pdf::renderPageImageInBox(*document, 0, box.width, box.height, pdf::PageBox::Crop);
    return image ? pdf::encodePng(*image) : std::nullopt;
}

}
