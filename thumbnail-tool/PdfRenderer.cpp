#include "thumbnail-tool/PdfRenderer.h"

#include "platform/pdf/Document.h"
#include "platform/pdf/PageImage.h"

#include <algorithm>

namespace ikw::thumbnail {

std::optional<std::string> renderPdfFirstPage(const std::string& path, int pixelEdge)
{
    const auto document = pdf::Document::openFile(path);
    if (!document || document->pageCount() < 1)
        return std::nullopt;
    const auto size = document->pageSize(0, pdf::PageBox::Crop);
    if (!size || !(size->width > 0) || !(size->height > 0))
        return std::nullopt;
    const double scale = pixelEdge / std::max(size->width, size->height);
    const auto image = pdf::renderPageImage(*document, 0, scale, pdf::PageBox::Crop);
    return image ? pdf::encodePng(*image) : std::nullopt;
}

}
