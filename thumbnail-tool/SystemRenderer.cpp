#include "thumbnail-tool/SystemRenderer.h"

#include "thumbnail-tool/PdfRenderer.h"

#include <fstream>

namespace ikw::thumbnail {

bool looksLikePdf(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::string head(1024, '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(file.gcount()));
    return head.find("%PDF-") != std::string::npos;
}

std::optional<std::string> SystemRenderer::render(const std::string& source, int pixelEdge)
{
    if (looksLikePdf(source))
        return renderPdfFirstPage(source, pixelEdge);
    return m_images.thumbnailPng(source, pixelEdge);
}

}
