#include "permission-wizard/art/BluetoothDiagram.h"

#include "permission-wizard/art/Glyphs.h"

#include <algorithm>

namespace ikw::wizard::art {

namespace {

// The radio rune about the vertical x = x0: its zigzag and its stem, as one outline.
Path rune(double x0, double cy)
{
    auto path = Path::polyline({ { x0, cy - 15 }, { x0 + 9.3, cy - 6.3 }, { x0 - 9.3, cy + 6.3 }, { x0 + 9.3, cy + 6.3 },
        { x0 - 9.3, cy - 6.3 } });
    return path.moveTo({ x0, cy - 15 }).lineTo({ x0, cy + 15 });
}

}

void BluetoothDiagram::draw(Drawing& drawing, double width, double height, double t) const
{
    const double cx = width / 2;
    const double cy = height / 2;
    const double screenWidth = std::min(0.3 * width, 165.0);
    const double screenHeight = 0.62 * screenWidth;
    const double x = cx - screenWidth - 52;
    drawPlainDisplay(drawing, { x, cy - screenHeight / 2, screenWidth, screenHeight }, colors);

    fillAndOutline(drawing, Path().roundedRect({ cx + 62, cy - 30, 44, 60 }, 10), tint(colors, { 0.13, 0.09 }),
        colors.accent);
    drawing.stroke(rune(cx + 84, cy), colors.accent, { .cap = LineCap::Round, .join = LineJoin::Round });

    drawWaves(drawing,
        { .center = { x + screenWidth + 2, cy }, .radii = { 20, 34, 48 }, .startAngle = degrees(-46),
            .endAngle = degrees(46), .factors = { 0.85, 0.63, 0.41 } },
        colors.accent, t);
}

}
