#include "permission-wizard/art/CameraDiagram.h"

#include "permission-wizard/art/Glyphs.h"

namespace ikw::wizard::art {

void CameraDiagram::draw(Drawing& drawing, double width, double height, double t) const
{
    const double cx = width / 2;
    const double cy = height / 2;

    fillAndOutline(drawing, Path().roundedRect({ cx - 56, cy - 42, 156, 84 }, 12), tint(colors, { 0.10, 0.07 }),
        colors.line);
    drawing.stroke(Path().roundedRect({ cx - 4, cy - 54, 46, 16 }, 5), colors.line, {});

    const Point lens { cx + 22, cy }; // the body's centre
    drawing.stroke(Path().circle(lens, 30), colors.accent, {});
    drawing.fill(Path().circle(lens, 19), tint(colors, { 0.28, 0.20 }));
    drawing.fill(Path().circle(lens, 7), colors.accent);
    // 22 in from the body's right edge, 12 below its top.
    drawing.fill(Path().ellipse({ cx + 78, cy - 30, 9, 9 }), colors.accent);

    drawWaves(drawing,
        { .center = { cx - 60, cy }, .radii = { 16, 30, 44 }, .startAngle = degrees(128), .endAngle = degrees(232),
            .factors = { 0.8, 0.59, 0.38 } },
        colors.accent, t);
}

}
