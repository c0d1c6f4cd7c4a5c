// The cairo side of the drawing interface: curves and arcs trace what they say, and shapes that
// cairo would refuse are left out without spoiling the rest of the frame.
#include "permission-wizard/art/CairoDrawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

namespace ikw::wizard::art {
namespace {

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

constexpr int size = 64;
const Color opaque { 0, 0, 0, 1 };

struct Canvas {
    Surface surface { cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size), cairo_surface_destroy };
    Context context { cairo_create(surface.get()), cairo_destroy };

    std::uint8_t alphaAt(int x, int y)
    {
        cairo_surface_flush(surface.get());
        const auto* row = cairo_image_surface_get_data(surface.get()) + y * cairo_image_surface_get_stride(surface.get());
        return reinterpret_cast<const std::uint32_t*>(row)[x] >> 24;
    }
    bool samePixels(Canvas& other)
    {
        cairo_surface_flush(surface.get());
        cairo_surface_flush(other.surface.get());
        const auto bytes = static_cast<std::size_t>(cairo_image_surface_get_stride(surface.get())) * size;
        return std::memcmp(cairo_image_surface_get_data(surface.get()), cairo_image_surface_get_data(other.surface.get()),
                   bytes)
            == 0;
    }
};

TEST(CairoDrawing, QuadraticCurveTracesTheEquivalentCubic)
{
    Canvas quadratic;
    CairoDrawing(quadratic.context.get())
        .stroke(Path().moveTo({ 4, 60 }).quadTo({ 30, 0 }, { 60, 50 }), opaque, { .width = 3 });

    Canvas cubic;
    cairo_t* context = cubic.context.get();
    cairo_move_to(context, 4, 60);
    cairo_curve_to(context, 4 + 2.0 / 3 * 26, 60 - 2.0 / 3 * 60, 60 - 2.0 / 3 * 30, 50 - 2.0 / 3 * 50, 60, 50);
    cairo_set_line_width(context, 3);
    cairo_set_line_cap(context, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(context, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(context, 10);
    cairo_stroke(context);

    EXPECT_TRUE(quadratic.samePixels(cubic));
    EXPECT_GT(quadratic.alphaAt(31, 27), 0); // through the midpoint P0/4 + Q/2 + P2/4 = (31, 27.5)
}

TEST(CairoDrawing, ArcsRunTowardsIncreasingAngleDownwardsOnScreen)
{
    Canvas upper;
    CairoDrawing(upper.context.get()).fill(Path().arc({ 32, 32 }, 20, degrees(180), degrees(360)), opaque);
    EXPECT_EQ(upper.alphaAt(32, 20), 255);
    EXPECT_EQ(upper.alphaAt(32, 44), 0);

    Canvas right;
    CairoDrawing(right.context.get()).fill(Path().arc({ 32, 32 }, 20, degrees(-90), degrees(90)), opaque);
    EXPECT_EQ(right.alphaAt(44, 32), 255);
    EXPECT_EQ(right.alphaAt(20, 32), 0);
}

TEST(CairoDrawing, RefusedShapesAreLeftOutAndTheFrameGoesOn)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Canvas canvas;
    CairoDrawing drawing(canvas.context.get());
    drawing.fill(Path().ellipse({ 10, 10, 0, 30 }), opaque);
    drawing.fill(Path().roundedRect({ nan, 0, 10, 10 }, 2), opaque);
    drawing.stroke(Path::line({ 0, 0 }, { 60, 60 }), { nan, 0, 0, 1 }, {});
    drawing.stroke(Path::line({ 0, 60 }, { 60, 0 }), opaque, { .width = std::numeric_limits<double>::infinity() });
    // A dash cairo would refuse draws as a solid line.
    drawing.stroke(Path::line({ 2, 8 }, { 60, 8 }), opaque, { .width = 4, .dash = { -1, 3 } });
    drawing.stroke(Path::line({ 2, 16 }, { 60, 16 }), opaque, { .width = 4, .dash = { 0, 0 } });
    // Negative sizes draw the same rectangle the other way round, corners limited to half a side.
    drawing.fill(Path().roundedRect({ 60, 60, -20, -20 }, 50), opaque);

    EXPECT_EQ(cairo_status(canvas.context.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(canvas.alphaAt(30, 30), 0);
    for (const int x : { 5, 20, 55 }) {
        EXPECT_EQ(canvas.alphaAt(x, 8), 255);
        EXPECT_EQ(canvas.alphaAt(x, 16), 255);
    }
    EXPECT_EQ(canvas.alphaAt(50, 50), 255);
    EXPECT_EQ(canvas.alphaAt(41, 41), 0); // outside the round corner of radius 10
}

TEST(CairoDrawing, DashPhaseShiftsTheDashesAlongTheLine)
{
    const auto dashedRow = [](double phase) {
        Canvas canvas;
        CairoDrawing(canvas.context.get())
            .stroke(Path::line({ 0, 10 }, { 64, 10 }), opaque, { .width = 2, .dash = { 5, 5 }, .dashPhase = phase });
        std::string row;
        for (int x = 0; x < size; ++x)
            row += canvas.alphaAt(x, 10) ? '#' : '.';
        return row;
    };
    EXPECT_EQ(dashedRow(0).substr(0, 20), "#####.....#####.....");
    // A negative phase moves the pattern forwards along the line.
    EXPECT_EQ(dashedRow(-13).substr(0, 20), "...#####.....#####..");
}

}
}
