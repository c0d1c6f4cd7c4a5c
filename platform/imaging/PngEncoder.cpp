#include "platform/imaging/PngEncoder.h"

#include "platform/core/GObjectRef.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cmath>

namespace ikw::imaging {
namespace {

// A pixbuf over the image's pixels (they must outlive it).
GObjectRef<GdkPixbuf> wrap(const RgbaImage& image)
{
    return GObjectRef<GdkPixbuf>::adopt(gdk_pixbuf_new_from_data(image.pixels.data(), GDK_COLORSPACE_RGB, TRUE, 8, image.width,
        image.height, image.width * 4, nullptr, nullptr));
}

bool isUsable(const RgbaImage& image)
{
    return image.width > 0 && image.height > 0 && image.pixels.size() >= static_cast<std::size_t>(image.width) * image.height * 4;
}

}

RgbaImage limitedToWidth(const RgbaImage& image, int maxWidth)
{
    if (!isUsable(image) || image.width <= maxWidth || maxWidth < 1)
        return image;
    const int height = std::max(1, static_cast<int>(std::lround(static_cast<double>(image.height) * maxWidth / image.width)));
    const auto source = wrap(image);
    const auto scaled = GObjectRef<GdkPixbuf>::adopt(gdk_pixbuf_scale_simple(source.get(), maxWidth, height, GDK_INTERP_BILINEAR));
    if (!scaled)
        return image;
    RgbaImage out { maxWidth, height, {} };
    out.pixels.resize(static_cast<std::size_t>(maxWidth) * height * 4);
    const int stride = gdk_pixbuf_get_rowstride(scaled.get());
    const guchar* pixels = gdk_pixbuf_read_pixels(scaled.get());
    for (int row = 0; row < height; ++row)
        std::copy_n(pixels + static_cast<std::size_t>(row) * stride, maxWidth * 4, out.pixels.begin() + static_cast<std::size_t>(row) * maxWidth * 4);
    return out;
}

std::optional<std::string> encodePng(const RgbaImage& image)
{
    if (!isUsable(image))
        return std::nullopt;
    const auto pixbuf = wrap(image);
    gchar* buffer = nullptr;
    gsize size = 0;
    if (!gdk_pixbuf_save_to_buffer(pixbuf.get(), &buffer, &size, "png", nullptr, nullptr))
        return std::nullopt;
    std::string bytes(buffer, size);
    g_free(buffer);
    return bytes;
}

}
