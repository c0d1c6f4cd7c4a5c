#include "platform/photos/JpegRendering.h"

#include "platform/imaging/thumbnails/images/ImageRenderer.h"

#include <algorithm>

namespace ikw::photos {

namespace {

using thumbnail::Pixbuf;

// JPEG has no transparency: what shows through becomes white rather than whatever colour the
// transparent pixels happen to hold.
Pixbuf onWhite(const Pixbuf& image)
{
    const int width = gdk_pixbuf_get_width(image.get());
    const int height = gdk_pixbuf_get_height(image.get());
    Pixbuf opaque = Pixbuf::adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height));
    if (!opaque)
        return {};
    gdk_pixbuf_fill(opaque.get(), 0xFFFFFFFF);
    gdk_pixbuf_composite(image.get(), opaque.get(), 0, 0, width, height, 0, 0, 1, 1, GDK_INTERP_NEAREST, 255);
    return opaque;
}

}

std::optional<std::string> renderFittedJpeg(const std::string& path, int edge, int quality, thumbnail::PixelBudget& budget)
{
    Pixbuf image = thumbnail::loadImageFitted(path, edge, budget);
    if (image && gdk_pixbuf_get_has_alpha(image.get()))
        image = onWhite(image);
    if (!image)
        return std::nullopt;
    gchar* buffer = nullptr;
    gsize size = 0;
    GError* error = nullptr;
    const std::string level = std::to_string(std::clamp(quality, 0, 100));
    if (!gdk_pixbuf_save_to_buffer(image.get(), &buffer, &size, "jpeg", &error, "quality", level.c_str(), nullptr)) {
        g_clear_error(&error);
        return std::nullopt;
    }
    std::string bytes(buffer, size);
    g_free(buffer);
    return bytes;
}

}
