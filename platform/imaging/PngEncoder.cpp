#include "platform/imaging/PngEncoder.h"

#include "platform/core/Base64.h"
#include "platform/core/GObjectRef.h"
#include "platform/imaging/PngWriter.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>

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

// Truncated toward zero, as the scale would be applied to a whole pixel count.
int scaledSide(int side, double scale)
{
    return std::max(1, static_cast<int>(side * scale));
}

}

RgbaImage limitedToWidth(const RgbaImage& image, int maxWidth)
{
    if (!isUsable(image) || image.width <= maxWidth || maxWidth < 1)
        return image;
    const double scale = static_cast<double>(maxWidth) / image.width;
    const int width = scaledSide(image.width, scale);
    const int height = scaledSide(image.height, scale);
    const auto source = wrap(image);
    const auto scaled = GObjectRef<GdkPixbuf>::adopt(gdk_pixbuf_scale_simple(source.get(), width, height, GDK_INTERP_HYPER));
    if (!scaled)
        return image;
    RgbaImage out { width, height, {} };
    out.pixels.resize(static_cast<std::size_t>(width) * height * 4);
    const int stride = gdk_pixbuf_get_rowstride(scaled.get());
    const guchar* pixels = gdk_pixbuf_read_pixels(scaled.get());
    for (int row = 0; row < height; ++row)
        std::copy_n(pixels + static_cast<std::size_t>(row) * stride, width * 4, out.pixels.begin() + static_cast<std::size_t>(row) * width * 4);
    return out;
}

std::optional<std::string> encodePng(const RgbaImage& image)
{
    if (!isUsable(image))
        return std::nullopt;
    const auto pixbuf = wrap(image);
    return pixbuf ? encodePng(pixbuf.get()) : std::nullopt;
}

std::optional<std::string> encodeRgbPng(int width, int height, const std::vector<std::uint8_t>& rgb)
{
    if (width <= 0 || height <= 0 || rgb.size() < static_cast<std::size_t>(width) * height * 3)
        return std::nullopt;
    // The writer only reads the pixels.
    const auto pixbuf = GObjectRef<GdkPixbuf>::adopt(gdk_pixbuf_new_from_data(const_cast<std::uint8_t*>(rgb.data()), GDK_COLORSPACE_RGB,
        FALSE, 8, width, height, width * 3, nullptr, nullptr));
    return pixbuf ? encodePng(pixbuf.get()) : std::nullopt;
}

std::optional<std::string> signPngBase64(const std::string& path, int maxWidth)
{
    const auto image = decodeImageFile(path);
    if (!image)
        return std::nullopt;
    const auto png = encodePng(limitedToWidth(*image, maxWidth));
    if (!png)
        return std::nullopt;
    return encodeBase64(*png);
}

}
