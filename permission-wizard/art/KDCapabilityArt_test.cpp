// The catalogue's heroes: each draws its own diagram with the colours it is given, renders the
// same pixels every time in each scheme, keeps still where it should, and keeps its layout
// around the anchor on any canvas, also one with no room.
#include "permission-wizard/art/KDCapabilityArt.h"

#include "permission-wizard/art/ArrangingDiagram.h"
#include "permission-wizard/art/BluetoothDiagram.h"
#include "permission-wizard/art/CairoDrawing.h"
#include "permission-wizard/art/CalendarDiagram.h"
#include "permission-wizard/art/CameraDiagram.h"
#include "permission-wizard/art/CaptureDiagram.h"
#include "permission-wizard/art/ContextMenuRowDiagram.h"
#include "permission-wizard/art/CrossingDiagram.h"
#include "permission-wizard/art/FilesDiagram.h"
#include "permission-wizard/art/ListeningDiagram.h"
#include "permission-wizard/art/LocationDiagram.h"
#include "permission-wizard/art/MenuBarDiagram.h"
#include "permission-wizard/art/NotificationsDiagram.h"
#include "permission-wizard/art/TypingDiagram.h"
#include "permission-wizard/art/testing/RecordingDrawing.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ikw::wizard {
namespace {

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
using art::testing::DrawCommand;

const Color accent { 0.0, 0.42, 0.9, 1 };
const Color ink { 0, 0, 0, 0.85 };
const Color line { 0.45, 0.45, 0.5, 0.45 };

art::ArtColors colorsFor(bool dark)
{
    return { accent, ink, line, dark };
}

using Draw = std::function<void(art::Drawing&, double width, double height, double t)>;

template<typename Diagram>
Draw drawOf(Diagram diagram)
{
    return [diagram](art::Drawing& drawing, double width, double height, double t) {
        diagram.draw(drawing, width, height, t);
    };
}

// One picture of the catalogue: its hero from the factory, the diagram the factory should have
// built, whether it stands still, and whether its layout is all fixed offsets (nothing scales
// with the canvas).
struct Entry {
    std::string name;
    std::function<HeroDiagram(bool dark)> hero;
    std::function<Draw(bool dark)> diagram;
    bool still = false;
    bool fixedLayout = false;
};

const std::vector<Entry>& catalogue()
{
    namespace Art = KDCapabilityArt;
    static const std::vector<Entry> entries {
        { "crossing", [](bool dark) { return Art::crossing(accent, ink, line, dark, true); },
            [](bool dark) { return drawOf(art::CrossingDiagram { .colors = colorsFor(dark), .showsPointer = true }); } },
        { "crossingWithoutPointer", [](bool dark) { return Art::crossing(accent, ink, line, dark, false); },
            [](bool dark) { return drawOf(art::CrossingDiagram { .colors = colorsFor(dark), .showsPointer = false }); } },
        { "capture", [](bool dark) { return Art::capture(accent, ink, line, dark); },
            [](bool dark) { return drawOf(art::CaptureDiagram { .colors = colorsFor(dark) }); } },
        { "files", [](bool dark) { return Art::files(accent, ink, line, dark); },
            [](bool dark) { return drawOf(art::FilesDiagram { .colors = colorsFor(dark) }); }, true, true },
        { "menuBar", [](bool dark) { return Art::menuBar(accent, ink, line, dark); },
            [](bool dark) { return drawOf(art::MenuBarDiagram { .colors = colorsFor(dark) }); }, true },
        { "arranging", [](bool dark) { return Art::arranging(accent, ink, line, dark); },
            [](bool dark) { return drawOf(art::ArrangingDiagram { .colors = colorsFor(dark) }); } },
        { "listening", [](bool dark) { return Art::listening(accent, ink, line, dark); },
            [](bool dark) { return drawOf(art::ListeningDiagram { .colors = colorsFor(dark) }); }, false, true },
        { "location", [](bool dark) { return Art::location(accent, ink, line, dark); },
            [](bool dark) { return drawOf(art::LocationDiagram { .colors = colorsFor(dark) }); }, true, true },
        { "bluetooth", [](bool dark) { return Art::bluetooth(accent, ink, line, dark); },
            [](bool dark) { return drawOf(art::BluetoothDiagram { .colors = colorsFor(dark) }); } },
        { "notifications", [](bool dark) { return Art::notifications(accent, ink, line, dark); },
            [](bool dark) { return drawOf(art::NotificationsDiagram { .colors = colorsFor(dark) }); } },
        { "calendar", [](bool dark) { return Art::calendar(accent, ink, line, dark); },
            [](bool dark) { return drawOf(art::CalendarDiagram { .colors = colorsFor(dark) }); }, false, true },
        { "camera", [](bool dark) { return Art::camera(accent, ink, line, dark); },
            [](bool dark) { return drawOf(art::CameraDiagram { .colors = colorsFor(dark) }); }, false, true },
        { "typing", [](bool dark) { return Art::typing(accent, ink, line, dark); },
            [](bool dark) { return drawOf(art::TypingDiagram { .colors = colorsFor(dark) }); }, false, true },
        { "contextMenuRow", [](bool dark) { return Art::contextMenuRow(accent, ink, line, dark); },
            [](bool dark) { return drawOf(art::ContextMenuRowDiagram { .colors = colorsFor(dark), .rowLabelWidth = 96 }); },
            false, true },
    };
    return entries;
}

std::vector<DrawCommand> record(const Draw& draw, double width, double height, double t)
{
    art::testing::RecordingDrawing drawing;
    draw(drawing, width, height, t);
    return drawing.commands();
}

Surface newSurface(int width, int height)
{
    return { cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), cairo_surface_destroy };
}

// Draws into a new surface; `paint` gets the context.
Surface render(int width, int height, const std::function<void(cairo_t*)>& paint)
{
    auto surface = newSurface(width, height);
    Context context(cairo_create(surface.get()), cairo_destroy);
    paint(context.get());
    EXPECT_EQ(cairo_status(context.get()), CAIRO_STATUS_SUCCESS);
    cairo_surface_flush(surface.get());
    return surface;
}

Surface renderHero(const HeroDiagram& hero, int width, int height, double t)
{
    return render(width, height, [&](cairo_t* context) { hero.draw(context, width, height, t); });
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

int paintedPixels(cairo_surface_t* surface)
{
    int painted = 0;
    for (int y = 0; y < cairo_image_surface_get_height(surface); ++y) {
        for (int x = 0; x < cairo_image_surface_get_width(surface); ++x)
            painted += pixel(surface, x, y) != 0;
    }
    return painted;
}

TEST(KDCapabilityArt, EachHeroDrawsItsOwnDiagramWithItsColoursTheSameEveryTime)
{
    constexpr double pinnedTime = 2.75;
    for (const auto& entry : catalogue()) {
        SCOPED_TRACE(entry.name);
        std::string schemes[2];
        for (const bool dark : { false, true }) {
            SCOPED_TRACE(dark);
            const auto first = renderHero(entry.hero(dark), 600, 132, pinnedTime);
            const auto again = renderHero(entry.hero(dark), 600, 132, pinnedTime);
            const auto direct = render(600, 132, [&](cairo_t* context) {
                art::CairoDrawing drawing(context);
                entry.diagram(dark)(drawing, 600, 132, pinnedTime);
            });
            schemes[dark] = pngBytes(first.get());
            EXPECT_EQ(schemes[dark], pngBytes(again.get()));
            EXPECT_EQ(schemes[dark], pngBytes(direct.get()));
            EXPECT_EQ(pixel(first.get(), 2, 2), 0u);
            EXPECT_EQ(pixel(first.get(), 600 - 3, 132 - 3), 0u);
        }
        EXPECT_NE(schemes[0], schemes[1]);
    }
}

TEST(KDCapabilityArt, ContextMenuRowPutsTheProductsIconLeftOfCentre)
{
    const auto surface = renderHero(KDCapabilityArt::contextMenuRow(accent, ink, line, false), 600, 132, 2.75);
    EXPECT_EQ(pixel(surface.get(), 300 - 4, 66 - 33), 0xff006be6u);
}

TEST(KDCapabilityArt, StillPicturesDrawTheSameAtEveryTimeAndTheOthersMove)
{
    for (const auto& entry : catalogue()) {
        SCOPED_TRACE(entry.name);
        const auto diagram = entry.diagram(false);
        const auto atRest = record(diagram, 600, 132, 0);
        EXPECT_EQ(atRest == record(diagram, 600, 132, 3.7), entry.still);
        EXPECT_EQ(atRest, record(diagram, 600, 132, 0));
    }
}

TEST(KDCapabilityArt, LayoutsKeepTheirOffsetsFromTheAnchorOnEveryCanvas)
{
    for (const auto& entry : catalogue()) {
        SCOPED_TRACE(entry.name);
        const auto diagram = entry.diagram(false);
        const auto wide = record(diagram, 600, 132, 1);
        // Past the caps every size is fixed, and the picture only follows the centre.
        EXPECT_TRUE(art::testing::nearlyEqual(record(diagram, 1000, 132, 1), art::testing::translated(wide, 200, 0)));

        // On a canvas narrower than the picture nothing moves in to fit: what does not scale
        // keeps its offsets, and the picture runs past the edges.
        const auto narrow = record(diagram, 100, 132, 1);
        EXPECT_TRUE(art::testing::allFinite(narrow));
        if (entry.fixedLayout) {
            EXPECT_TRUE(art::testing::nearlyEqual(narrow, art::testing::translated(wide, -250, 0)));
        }
        const auto whole = art::testing::extent(narrow);
        EXPECT_TRUE(whole.left() < 0 || whole.right() > 100) << whole.left() << " " << whole.right();
    }
}

TEST(KDCapabilityArt, HeroesDrawIntoNarrowAndEmptyCanvasesWithoutFailing)
{
    for (const auto& entry : catalogue()) {
        SCOPED_TRACE(entry.name);
        for (const bool dark : { false, true }) {
            const auto narrow = renderHero(entry.hero(dark), 100, 132, 0); // the context's status is checked inside
            EXPECT_GT(paintedPixels(narrow.get()), 100);
            renderHero(entry.hero(dark), 0, 0, 0);
        }
    }
}

}
}
