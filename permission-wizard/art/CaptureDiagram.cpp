#include "permission-wizard/art/CaptureDiagram.h"

#include "permission-wizard/art/Glyphs.h"

#include <algorithm>

namespace ikw::wizard::art {

void CaptureDiagram::draw(Drawing& drawing, double width, double height, double t) const
{
    const double cx = width / 2;
    const double cy = height / 2;
    const double screenWidth = std::min(0.34 * width, 190.0);
    const double screenHeight = 0.62 * screenWidth;
    const double x = cx - screenWidth / 2 - 34;
    drawPlainDisplay(drawing, { x, cy - screenHeight / 2, screenWidth, screenHeight }, colors);

    // The selection stands still: its dashes do not march.
    const double left = x + 0.16 * screenWidth;
    const double right = x + 0.68 * screenWidth;
    const double top = cy - 0.22 * screenHeight;
    const double bottom = cy + 0.24 * screenHeight;
    fillAndOutline(drawing, Path().roundedRect({ left, top, right - left, bottom - top }, 4), tint(colors, { 0.2, 0.14 }),
        colors.accent, { .dash = { 4, 3 } });
    for (const Point corner : { Point { left, top }, Point { right, top }, Point { left, bottom }, Point { right, bottom } })
        drawing.fill(Path().circle(corner, 3), colors.accent);

    const double screenRight = x + screenWidth;
    drawFlowLine(drawing, Path::line({ screenRight + 10, cy }, { screenRight + 52, cy }), colors.accent, t);
    drawArrowHead(drawing, screenRight + 54, cy, colors.accent);
    drawProductTile(drawing, { screenRight + 62, cy - 20, 42, 40 }, 5, colors, t);
}

}
