#include "permission-wizard/art/ListeningDiagram.h"

#include "permission-wizard/art/Glyphs.h"

namespace ikw::wizard::art {

void ListeningDiagram::draw(Drawing& drawing, double width, double height, double t) const
{
    const double cx = width / 2;
    const double cy = height / 2;

    fillAndOutline(drawing, Path().roundedRect({ cx - 108, cy - 30, 24, 44 }, 12), tint(colors, { 0.16, 0.11 }),
        colors.accent);
    // The cradle's lower half circle under the capsule, and its stem.
    drawing.stroke(Path().arc({ cx - 96, cy + 4 }, 20, degrees(0), degrees(180)), colors.accent, openLine());
    drawing.stroke(Path::line({ cx - 96, cy + 24 }, { cx - 96, cy + 34 }), colors.accent, openLine());

    drawWaves(drawing,
        { .center = { cx - 50, cy }, .radii = { 26, 44, 62 }, .startAngle = degrees(-52), .endAngle = degrees(52),
            .factors = { 0.85, 0.63, 0.41 } },
        colors.accent, t);
}

}
