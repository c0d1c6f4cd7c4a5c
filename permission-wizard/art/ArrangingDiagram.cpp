#include "permission-wizard/art/ArrangingDiagram.h"

#include "permission-wizard/art/Glyphs.h"

#include <algorithm>

namespace ikw::wizard::art {

void ArrangingDiagram::draw(Drawing& drawing, double width, double height, double t) const
{
    const double cx = width / 2;
    const double cy = height / 2;
    const double screenWidth = std::min(0.42 * width, 230.0);
    const double screenHeight = 0.6 * screenWidth;
    const double x = cx - screenWidth / 2 + 40;
    const double top = cy - screenHeight / 2;
    drawPlainDisplay(drawing, { x, top, screenWidth, screenHeight }, colors);

    // Two tiles 7 inside the screen and 7 apart: the free one dashed, the one the window goes to tinted.
    const double tileWidth = (screenWidth - 21) / 2;
    const double tileHeight = screenHeight - 14;
    drawing.stroke(Path().roundedRect({ x + 7, top + 7, tileWidth, tileHeight }, 4), withOpacity(colors.line, 0.7),
        { .width = 1.5, .dash = { 3, 3 } });
    const double targetLeft = x + 14 + tileWidth;
    fillAndOutline(drawing, Path().roundedRect({ targetLeft, top + 7, tileWidth, tileHeight }, 4),
        tint(colors, { 0.22, 0.16 }), colors.accent);

    fillAndOutline(drawing, Path().roundedRect({ x - 120, cy - 25, 74, 50 }, 5), tint(colors, { 0.14, 0.10 }),
        colors.accent);
    drawing.stroke(Path::line({ x - 114, cy - 14 }, { x - 52, cy - 14 }), withOpacity(colors.accent, 0.6), { .width = 1.5 });

    // From 8 right of the window to 40 % into the target tile.
    drawFlowLine(drawing, Path::line({ x - 38, cy }, { targetLeft + 0.4 * tileWidth, cy }), colors.accent, t);
    drawArrowHead(drawing, targetLeft + 0.42 * tileWidth, cy, colors.accent);
}

}
