#include "permission-wizard/art/FilesDiagram.h"

#include "permission-wizard/art/Glyphs.h"

namespace ikw::wizard::art {

void FilesDiagram::draw(Drawing& drawing, double width, double height, double) const
{
    const double cx = width / 2;
    const double cy = height / 2;

    auto folder = Path::polyline({ { cx - 150, cy + 29 }, { cx - 150, cy - 21 }, { cx - 118.08, cy - 21 },
        { cx - 110.48, cy - 29 }, { cx - 74, cy - 29 }, { cx - 74, cy + 29 } });
    folder.close();
    drawing.stroke(folder, colors.line, { .join = LineJoin::Round });

    // Each card fainter than the one before it.
    for (int card = 0; card < 3; ++card) {
        fillAndOutline(drawing, Path().roundedRect({ cx - 48 + 26 * card, cy - 16, 20, 28 }, 3), tint(colors, { 0.16, 0.11 }),
            withOpacity(colors.accent, 1 - 0.22 * card));
    }

    drawArrowHead(drawing, cx + 58, cy, colors.accent);
    drawTargetDisplay(drawing, { cx + 76, cy - 36.5, 118, 73 }, colors, { 0.13, 0.09 });
}

}
