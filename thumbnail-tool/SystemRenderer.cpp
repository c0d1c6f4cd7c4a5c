#include "thumbnail-tool/SystemRenderer.h"

#include "thumbnail-tool/DesktopThumbnailers.h"
#include "thumbnail-tool/ImageRenderer.h"
#include "thumbnail-tool/PdfRenderer.h"

#include <gio/gio.h>

namespace ikw::thumbnail {

std::string contentTypeOf(const std::string& path)
{
    GObjectRef<GFile> file = GObjectRef<GFile>::adopt(g_file_new_for_path(path.c_str()));
    GObjectRef<GFileInfo> info = GObjectRef<GFileInfo>::adopt(
        g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    if (!info)
        return {};
    const char* type = g_file_info_get_content_type(info.get());
    if (!type)
        return {};
    gchar* mime = g_content_type_get_mime_type(type);
    std::string result = mime ? mime : type;
    g_free(mime);
    return result;
}

Pixbuf SystemRenderer::render(const std::string& source, int pixelEdge)
{
    const std::string type = contentTypeOf(source);
    if (type.empty())
        return {};
    if (type == "application/pdf")
        return renderPdfFirstPage(source, pixelEdge);
    if (isPixbufImageType(type))
        return loadImageFitted(source, pixelEdge);
    if (const auto thumbnailer = findThumbnailer(type))
        return renderWithThumbnailer(*thumbnailer, source, pixelEdge);
    return {};
}

void silenceLibraryDiagnostics()
{
    silencePdfDiagnostics();
}

}
