#include "permission-wizard/setup/AppMark.h"

#include "platform/core/Paths.h"
#include "platform/imaging/ImageDecoder.h"

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace ikw::setup {

namespace {

struct SurfaceRelease {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextRelease {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceRelease>;
using Context = std::unique_ptr<cairo_t, ContextRelease>;

// Straight RGBA rows as cairo's premultiplied native-endian ARGB.
Surface surfaceOf(const imaging::RgbaImage& image)
{
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return {};
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < image.width; ++x) {
            const auto* pixel = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
            const std::uint32_t alpha = pixel[3];
            const auto premultiplied = [alpha](std::uint32_t channel) { return (channel * alpha + 127) / 255; };
            row[x] = alpha << 24 | premultiplied(pixel[0]) << 16 | premultiplied(pixel[1]) << 8 | premultiplied(pixel[2]);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

std::optional<std::string> drawnMark(const imaging::RgbaImage& icon)
{
    const Surface source = surfaceOf(icon);
    Surface mark(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kAppMarkSide, kAppMarkSide));
    if (!source || cairo_surface_status(mark.get()) != CAIRO_STATUS_SUCCESS)
        return std::nullopt;
    const Context context(cairo_create(mark.get()));
    cairo_scale(context.get(), double(kAppMarkSide) / icon.width, double(kAppMarkSide) / icon.height);
    cairo_set_source_surface(context.get(), source.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(context.get()), CAIRO_FILTER_BEST);
    cairo_set_operator(context.get(), CAIRO_OPERATOR_OVER);
    cairo_paint(context.get());
    cairo_surface_flush(mark.get());

    std::string png;
    const auto append = [](void* closure, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    };
    if (cairo_surface_write_to_png_stream(mark.get(), append, &png) != CAIRO_STATUS_SUCCESS)
        return std::nullopt;
    return png;
}

}

std::string writeAppMark(const std::string& iconPath, const std::string& folder, FileSystem& fileSystem)
{
    const std::string path = joinPath(folder, ".appmark.png");
    fileSystem.createDirectories(folder); // a failure shows in the write below
    const auto icon = iconPath.empty() ? std::nullopt : imaging::decodeImageFile(iconPath);
    if (!icon || icon->width <= 0 || icon->height <= 0)
        return {};
    const auto png = drawnMark(*icon);
    if (!png || !fileSystem.replaceFile(path, *png))
        return {};
    return path;
}

}
