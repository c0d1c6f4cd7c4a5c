#include "thumbnail-tool/images/ImageRenderer.h"

#include <set>

namespace ikw::thumbnail {

namespace {

std::set<std::string> pixbufMimeTypes()
{
    std::set<std::string> types;
    GSList* formats = gdk_pixbuf_get_formats();
    for (GSList* item = formats; item; item = item->next) {
        gchar** mimeTypes = gdk_pixbuf_format_get_mime_types(static_cast<GdkPixbufFormat*>(item->data));
        for (gchar** type = mimeTypes; type && *type; ++type)
            types.insert(*type);
        g_strfreev(mimeTypes);
    }
    g_slist_free(formats);
    return types;
}

}

bool isPixbufImageType(const std::string& mimeType)
{
    static const std::set<std::string> types = pixbufMimeTypes();
    return types.contains(mimeType);
}

Pixbuf loadImageFitted(const std::string& path, int pixelEdge)
{
    int width = 0;
    int height = 0;
    if (!gdk_pixbuf_get_file_info(path.c_str(), &width, &height) || width <= 0 || height <= 0)
        return {};
    const FittedSize fitted = fitInSquare(width, height, pixelEdge, false);
    GError* error = nullptr;
    Pixbuf decoded = Pixbuf::adopt(gdk_pixbuf_new_from_file_at_scale(path.c_str(), fitted.width, fitted.height, TRUE, &error));
    if (error)
        g_error_free(error);
    if (!decoded)
        return {};
    // Returns a new reference (possibly to the same image when there is no orientation tag).
    return Pixbuf::adopt(gdk_pixbuf_apply_embedded_orientation(decoded.get()));
}

}
