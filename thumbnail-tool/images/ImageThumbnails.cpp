#include "thumbnail-tool/images/ImageThumbnails.h"

#include "thumbnail-tool/images/DesktopThumbnailers.h"
#include "thumbnail-tool/images/ImageRenderer.h"
#include "thumbnail-tool/images/PngWriter.h"

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
    // Guessing from the name and the first bytes needs no GVfs modules (g_file_query_info would
    // load them all).
    gchar* type = g_content_type_guess(path.c_str(), reinterpret_cast<const guchar*>(head.data()), head.size(), nullptr);
    gchar* mime = type ? g_content_type_get_mime_type(type) : nullptr;
    std::string result = mime ? mime : (type ? type : "");
    g_free(mime);
    g_free(type);
    return result;
}

std::optional<std::string> imageThumbnailPng(const std::string& path, int pixelEdge, PixelBudget& budget)
{
    const std::string type = contentTypeOf(path);
    if (type.empty())
        return std::nullopt;
    Pixbuf image;
    if (isPixbufImageType(type))
        image = loadImageFitted(path, pixelEdge, budget);
    else if (const auto thumbnailer = findThumbnailer(type))
        image = renderWithThumbnailer(*thumbnailer, path, pixelEdge, budget);
    return image ? encodePng(image.get()) : std::nullopt;
}

extern "C" bool ikw_image_thumbnail_png(const char* path, int pixelEdge, PixelBudget* budget, ImageThumbnailSink sink, void* context)
{
    if (!path || !budget || !sink)
        return false;
    const auto png = imageThumbnailPng(path, pixelEdge, *budget);
    if (!png)
        return false;
    sink(context, png->data(), png->size());
    return true;
}

}
