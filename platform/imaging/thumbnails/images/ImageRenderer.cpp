#include "platform/imaging/thumbnails/images/ImageRenderer.h"

#include "platform/imaging/thumbnails/images/PngRowDecoder.h"

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

std::string formatName(GdkPixbufFormat* format)
{
    gchar* name = format ? gdk_pixbuf_format_get_name(format) : nullptr;
    std::string text = name ? name : "";
    g_free(name);
    return text;
}

// The largest of 1, 2, 4 and 8 that still decodes to at least the fitted size, as the JPEG loader
// picks it.
std::uint64_t jpegDenominator(int width, int height, FittedSize fitted)
{
    std::uint64_t denominator = 1;
    while (denominator < 8 && static_cast<std::uint64_t>(width) / (denominator * 2) >= static_cast<std::uint64_t>(fitted.width)
        && static_cast<std::uint64_t>(height) / (denominator * 2) >= static_cast<std::uint64_t>(fitted.height))
        denominator *= 2;
    return denominator;
}

Pixbuf decodeWithinBudget(const std::string& path, const std::string& format, int width, int height, FittedSize fitted,
    PixelBudget& budget)
{
    const auto lease = budget.reserve(decodePixels(format, width, height, fitted));
    if (!lease)
        return {};
    GError* error = nullptr;
    // The aspect ratio is already in the fitted size; letting the loader keep it again would round
    // the shorter edge twice (and a 3000 x 100 image would come out 120 x 4 at 128).
    Pixbuf decoded = Pixbuf::adopt(gdk_pixbuf_new_from_file_at_scale(path.c_str(), fitted.width, fitted.height, FALSE, &error));
    if (error)
        g_error_free(error);
    return decoded;
}

}

bool isPixbufImageType(const std::string& mimeType)
{
    static const std::set<std::string> types = pixbufMimeTypes();
    return types.contains(mimeType);
}

std::uint64_t decodePixels(const std::string& format, int width, int height, FittedSize fitted)
{
    if (format == "svg")
        return static_cast<std::uint64_t>(fitted.width) * static_cast<std::uint64_t>(fitted.height);
    const std::uint64_t denominator = format == "jpeg" ? jpegDenominator(width, height, fitted) : 1;
    const auto scaledEdge = [&](int edge) { return (static_cast<std::uint64_t>(edge) + denominator - 1) / denominator; };
    return scaledEdge(width) * scaledEdge(height);
}

Pixbuf loadImageFitted(const std::string& path, int pixelEdge, PixelBudget& budget)
{
    int width = 0;
    int height = 0;
    GdkPixbufFormat* format = gdk_pixbuf_get_file_info(path.c_str(), &width, &height);
    if (!format || width <= 0 || height <= 0)
        return {};
    const std::string name = formatName(format);
    Pixbuf decoded;
    if (name == "png") {
        PngRowResult rows = decodePngFitted(path, pixelEdge);
        if (rows.status == PngRowResult::Status::Failed)
            return {};
        decoded = std::move(rows.image);
    }
    if (!decoded)
        decoded = decodeWithinBudget(path, name, width, height, fitInSquare(width, height, pixelEdge, false), budget);
    if (!decoded)
        return {};
    // Returns a new reference (possibly to the same image when there is no orientation tag).
    return Pixbuf::adopt(gdk_pixbuf_apply_embedded_orientation(decoded.get()));
}

}
