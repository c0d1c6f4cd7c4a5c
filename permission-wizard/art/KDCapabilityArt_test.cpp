// The catalogue's heroes drawn with cairo: reproducible pixels, the right things in the right
// places, and no failure on a canvas with no room.
#include "permission-wizard/art/KDCapabilityArt.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace ikw::wizard {
namespace {

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

const Color accent { 0.0, 0.42, 0.9, 1 };
const Color ink { 0, 0, 0, 0.85 };
const Color line { 0.45, 0.45, 0.5, 0.45 };

Surface renderHero(const HeroDiagram& hero, int width, int height, double t)
{
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), cairo_surface_destroy);
    Context context(cairo_create(surface.get()), cairo_destroy);
    hero.draw(context.get(), width, height, t);
    EXPECT_EQ(cairo_status(context.get()), CAIRO_STATUS_SUCCESS);
    cairo_surface_flush(surface.get());
    return surface;
}

std::string pngBytes(cairo_surface_t* surface)
{
    std::string bytes;
    const auto status = cairo_surface_write_to_png_stream(surface,
        [](void* closure, const unsigned char* data, unsigned int length) {
            static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
            return CAIRO_STATUS_SUCCESS;
        },
        &bytes);
    EXPECT_EQ(status, CAIRO_STATUS_SUCCESS);
    return bytes;
}

// Premultiplied ARGB of one pixel.
std::uint32_t pixel(cairo_surface_t* surface, int x, int y)
{
    const auto* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

TEST(KDCapabilityArt, ContextMenuRowRendersTheSameBytesEveryTimeInEachScheme)
{
    constexpr double pinnedTime = 2.75;
    std::string schemes[2];
    for (const bool dark : { false, true }) {
        SCOPED_TRACE(dark);
        const auto hero = KDCapabilityArt::contextMenuRow(accent, ink, line, dark);
        const auto first = renderHero(hero, 600, 132, pinnedTime);
        const auto again = renderHero(KDCapabilityArt::contextMenuRow(accent, ink, line, dark), 600, 132, pinnedTime);
        schemes[dark] = pngBytes(first.get());
        EXPECT_EQ(schemes[dark], pngBytes(again.get()));

        // Empty around the picture; the product row's icon, filled with the accent, left of centre.
        EXPECT_EQ(pixel(first.get(), 2, 2), 0u);
        EXPECT_EQ(pixel(first.get(), 600 - 3, 132 - 3), 0u);
        EXPECT_EQ(pixel(first.get(), 300 - 4, 66 - 33), 0xff006be6u);
    }
    EXPECT_NE(schemes[0], schemes[1]);
}

TEST(KDCapabilityArt, HeroDrawsIntoAZeroSizedCanvasWithoutFailing)
{
    const auto hero = KDCapabilityArt::contextMenuRow(accent, ink, line, false);
    renderHero(hero, 0, 0, 0); // the context's status is checked inside
}

}
}
