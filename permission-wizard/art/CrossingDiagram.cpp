#include "permission-wizard/art/CrossingDiagram.h"

#include "permission-wizard/art/Glyphs.h"

#include <algorithm>

namespace ikw::wizard::art {

void CrossingDiagram::draw(Drawing& drawing, double width, double height, double t) const
{
    const double cx = width / 2;
    const double cy = height / 2;
    const double screenWidth = std::min(0.31 * width, 170.0);
    const double screenHeight = 0.62 * screenWidth;
    const double top = cy - screenHeight / 2;

    drawPlainDisplay(drawing, { cx - screenWidth - 46, top, screenWidth, screenHeight }, colors);
    drawTargetDisplay(drawing, { cx + 46, top, screenWidth, screenHeight }, colors, { 0.13, 0.09 });

    // From 12 inside the plain display's right edge to 16 inside the target.
    drawFlowLine(drawing, Path::line({ cx - 58, cy }, { cx + 62, cy }), colors.accent, t);
    drawArrowHead(drawing, cx + 63, cy, colors.accent);

    if (showsPointer)
        drawPointer(drawing, { cx - 30, cy - 3 }, colors);
}

}
