#include "permission-wizard/art/LocationDiagram.h"

namespace ikw::wizard::art {

namespace {

// The pin: its tip 12 below the anchor, its round of radius 13 about the point 14 above it.
Path pin(double cx, double cm)
{
    return Path()
        .moveTo({ cx, cm + 12 })
        .curveTo({ cx - 6, cm + 2 }, { cx - 13, cm - 6 }, { cx - 13, cm - 14 })
        .arc({ cx, cm - 14 }, 13, degrees(180), degrees(360))
        .curveTo({ cx + 13, cm - 6 }, { cx + 6, cm + 2 }, { cx, cm + 12 })
        .close();
}

}

void LocationDiagram::draw(Drawing& drawing, double width, double height, double) const
{
    const double cx = width / 2;
    const double cm = 0.52 * height; // a little below the middle, so that the pin's round has room

    Path grid;
    for (const double y : { cm - 25.76, cm, cm + 25.76 })
        grid.moveTo({ cx - 96, y }).lineTo({ cx + 96, y });
    for (const double x : { cx - 53.76, cx, cx + 53.76 })
        grid.moveTo({ x, cm - 46 }).lineTo({ x, cm + 46 });
    drawing.stroke(grid, withOpacity(colors.line, 0.45), {});
    drawing.stroke(Path().roundedRect({ cx - 96, cm - 46, 192, 92 }, 8), colors.line, {});

    fillAndOutline(drawing, Path().ellipse({ cx - 42, cm - 30, 84, 60 }), tint(colors, { 0.16, 0.11 }),
        withOpacity(colors.accent, 0.7), { .dash = { 4, 4 } });

    drawing.fill(pin(cx, cm), colors.accent);
    drawing.fill(Path().circle({ cx, cm - 14 }, 4.5), colors.dark ? black(0.55) : white(0.95));
}

}
