#include "thumbnail-tool/SystemRenderer.h"

#include "thumbnail-tool/DesktopThumbnailers.h"
#include "thumbnail-tool/ImageRenderer.h"
#include "thumbnail-tool/PdfRenderer.h"
#include "thumbnail-tool/PngWriter.h"

#include <gio/gio.h>

#include <fstream>

namespace ikw::thumbnail {

std::string contentTypeOf(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    std::string head(4096, '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(file.gcount()));
    // PDF readers accept the header anywhere in the first kilobyte; answering that case here also
    // spares the one-page run loading the MIME database.
    if (head.substr(0, 1024).find("%PDF-") != std::string::npos)
        return "application/pdf";
    // Guessing from the name and the first bytes needs no GVfs modules (g_file_query_info would
    // load them all).
    gchar* type = g_content_type_guess(path.c_str(), reinterpret_cast<const guchar*>(head.data()), head.size(), nullptr);
    gchar* mime = type ? g_content_type_get_mime_type(type) : nullptr;
    std::string result = mime ? mime : (type ? type : "");
    g_free(mime);
    g_free(type);
    return result;
}

std::optional<std::string> SystemRenderer::render(const std::string& source, int pixelEdge)
{
    const std::string type = contentTypeOf(source);
    if (type.empty())
        return std::nullopt;
    if (type == "application/pdf")
        return renderPdfFirstPage(source, pixelEdge);
    Pixbuf image;
    if (isPixbufImageType(type))
        image = loadImageFitted(source, pixelEdge);
    else if (const auto thumbnailer = findThumbnailer(type))
        image = renderWithThumbnailer(*thumbnailer, source, pixelEdge);
    return image ? encodePng(image.get()) : std::nullopt;
}

}
