#include "thumbnail-tool/PdfRenderer.h"

#include "platform/pdf/Document.h"
#include "platform/pdf/PageImage.h"

namespace ikw::thumbnail {

std::optional<std::string> renderPdfFirstPage(const std::string& path, int pixelEdge)
{
    const auto document = pdf::Document::openFile(path);
    if (!document || document->pageCount() < 1)
        return std::nullopt;
    const auto image = pdf::renderPageImageFitted(*document, 0, pixelEdge, pdf::PageBox::Crop);
    return image ? pdf::encodePng(*image) : std::nullopt;
}

}
