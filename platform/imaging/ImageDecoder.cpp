#include "platform/imaging/ImageDecoder.h"

#include "platform/core/GObjectRef.h"
#include "platform/core/RegularFile.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstring>

namespace ikw::imaging {

namespace {

using Pixbuf = GObjectRef<GdkPixbuf>;

bool fitsTheLimit(long long width, long long height)
{
    return width > 0 && height > 0 && width * height <= kMaxDecodedPixels;
}

Pixbuf loadUpright(const std::string& path)
{
    GError* error = nullptr;
    Pixbuf decoded = Pixbuf::adopt(gdk_pixbuf_new_from_file(path.c_str(), &error));
    if (error)
        g_error_free(error);
    if (!decoded)
        return {};
    // A new reference, to the same image when there is no orientation tag.
    return Pixbuf::adopt(gdk_pixbuf_apply_embedded_orientation(decoded.get()));
}

// 8-bit RGB or RGBA rows, padded to the row stride, become tightly packed RGBA.
RgbaImage packedRgba(GdkPixbuf* pixbuf)
{
    RgbaImage image;
    image.width = gdk_pixbuf_get_width(pixbuf);
    image.height = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const std::size_t stride = static_cast<std::size_t>(gdk_pixbuf_get_rowstride(pixbuf));
    const guint8* rows = gdk_pixbuf_read_pixels(pixbuf);
    const std::size_t width = static_cast<std::size_t>(image.width);
    image.pixels.resize(width * static_cast<std::size_t>(image.height) * 4);
    for (std::size_t row = 0; row < static_cast<std::size_t>(image.height); ++row) {
        const guint8* source = rows + row * stride;
        std::uint8_t* target = image.pixels.data() + row * width * 4;
        if (channels == 4) {
            std::memcpy(target, source, width * 4);
            continue;
        }
        for (std::size_t column = 0; column < width; ++column) {
            std::memcpy(target + column * 4, source + column * 3, 3);
            target[column * 4 + 3] = 255;
        }
    }
    return image;
}

}

std::optional<RgbaImage> decodeImageFile(const std::string& path)
{
    int width = 0;
    int height = 0;
    if (!isRegularFile(path) || !gdk_pixbuf_get_file_info(path.c_str(), &width, &height) || !fitsTheLimit(width, height))
        return std::nullopt;
    const Pixbuf pixbuf = loadUpright(path);
    if (!pixbuf || gdk_pixbuf_get_bits_per_sample(pixbuf.get()) != 8 || gdk_pixbuf_get_colorspace(pixbuf.get()) != GDK_COLORSPACE_RGB)
        return std::nullopt;
    const int channels = gdk_pixbuf_get_n_channels(pixbuf.get());
    if (channels != 3 && channels != 4)
        return std::nullopt;
    if (!fitsTheLimit(gdk_pixbuf_get_width(pixbuf.get()), gdk_pixbuf_get_height(pixbuf.get())))
        return std::nullopt;
    return packedRgba(pixbuf.get());
}

}
