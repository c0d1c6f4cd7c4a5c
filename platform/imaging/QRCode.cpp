#include "platform/imaging/QRCode.h"

#include <cairo.h>
#include <qrencode.h>

#include <memory>

namespace ikw::imaging {

namespace {

constexpr int kQuietZone = 1;

struct QRcodeFree {
    void operator()(QRcode* code) const { QRcode_free(code); }
};
struct SurfaceFree {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoFree {
    void operator()(cairo_t* cairo) const { cairo_destroy(cairo); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceFree>;
using Cairo = std::unique_ptr<cairo_t, CairoFree>;

void setColor(cairo_t* cairo, const RgbColor& color)
{
    cairo_set_source_rgb(cairo, color.red, color.green, color.blue);
}

// One pixel per module, quiet zone included.
Surface drawModules(const QRcode& code, const QRCodeLook& look)
{
    const int extent = code.width + 2 * kQuietZone;
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, extent, extent));
    const Cairo cairo(cairo_create(surface.get()));
    setColor(cairo.get(), look.background);
    cairo_paint(cairo.get());
    setColor(cairo.get(), look.modules);
    for (int y = 0; y < code.width; ++y) {
        for (int x = 0; x < code.width; ++x) {
            // The lowest bit of each module's byte says whether it is dark.
            if (code.data[y * code.width + x] & 1)
                cairo_rectangle(cairo.get(), x + kQuietZone, y + kQuietZone, 1, 1);
        }
    }
    cairo_fill(cairo.get());
    cairo_surface_flush(surface.get());
    return surface;
}

Surface scaledSharp(cairo_surface_t* modules, int side)
{
    const int extent = cairo_image_surface_get_width(modules);
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, side, side));
    const Cairo cairo(cairo_create(surface.get()));
    cairo_scale(cairo.get(), static_cast<double>(side) / extent, static_cast<double>(side) / extent);
    cairo_set_source_surface(cairo.get(), modules, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cairo.get()), CAIRO_FILTER_NEAREST);
    cairo_paint(cairo.get());
    cairo_surface_flush(surface.get());
    return surface;
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}

std::optional<std::string> qrCodePng(std::string_view message, const QRCodeLook& look)
{
    if (look.side <= 0 || message.empty())
        return std::nullopt;
    const std::unique_ptr<QRcode, QRcodeFree> code(
        QRcode_encodeData(static_cast<int>(message.size()), reinterpret_cast<const unsigned char*>(message.data()), 0, QR_ECLEVEL_H));
    if (!code)
        return std::nullopt;
    const Surface modules = drawModules(*code, look);
    const Surface scaled = scaledSharp(modules.get(), look.side);
    if (cairo_surface_status(scaled.get()) != CAIRO_STATUS_SUCCESS)
        return std::nullopt;
    std::string png;
    if (cairo_surface_write_to_png_stream(scaled.get(), appendBytes, &png) != CAIRO_STATUS_SUCCESS)
        return std::nullopt;
    return png;
}

}
