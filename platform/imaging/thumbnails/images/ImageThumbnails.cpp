#include "platform/imaging/thumbnails/images/ImageThumbnails.h"

#include "platform/imaging/thumbnails/images/DesktopThumbnailers.h"
#include "platform/imaging/thumbnails/images/ImageRenderer.h"
#include "platform/imaging/PngWriter.h"

#include <gio/gio.h>

#include <algorithm>
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

std::optional<std::string> imageThumbnailPng(const std::string& path, PixelBox box, PixelBudget& budget)
{
    const std::string type = contentTypeOf(path);
    if (type.empty() || box.width < 1 || box.height < 1)
        return std::nullopt;
    // Rendered to fit the box's longer side, then brought within its shorter one.
    const int pixelEdge = std::max(box.width, box.height);
    Pixbuf image;
    if (isPixbufImageType(type))
        image = loadImageFitted(path, pixelEdge, budget);
    else if (const auto thumbnailer = findThumbnailer(type))
        image = renderWithThumbnailer(*thumbnailer, path, pixelEdge, budget);
    if (image)
        image = shrinkIntoBox(std::move(image), box.width, box.height);
    return image ? imaging::encodePng(image.get()) : std::nullopt;
}

extern "C" bool ikw_image_thumbnail_png_in_box(const char* path, int boxWidth, int boxHeight, PixelBudget* budget, ImageThumbnailSink sink, void* context)
{
    if (!path || !budget || !sink)
        return false;
    const auto png = imageThumbnailPng(path, PixelBox { boxWidth, boxHeight }, *budget);
    if (!png)
        return false;
    sink(context, png->data(), png->size());
    return true;
}

}
