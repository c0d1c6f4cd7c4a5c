#include "permission-wizard/art/CalendarDiagram.h"

#include "permission-wizard/art/Glyphs.h"

namespace ikw::wizard::art {

namespace {

constexpr int rows = 3;
constexpr int columns = 5;
constexpr double columnPitch = 19.2;
constexpr double rowPitch = 64.0 / 3;
constexpr int accentRow = 1;
constexpr int accentColumn = 2;

void drawDayCells(Drawing& drawing, double cx, double cy, const ArtColors& colors)
{
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const Rect cell { cx - 144 + columnPitch * column, cy - 18 + rowPitch * row, columnPitch - 6, rowPitch - 6 };
            if (row == accentRow && column == accentColumn)
                drawing.fill(Path().roundedRect(cell, 4), colors.accent);
            else
                drawing.fill(Path().roundedRect(cell, 3), withOpacity(colors.ink, 0.18));
        }
    }
}

}

void CalendarDiagram::draw(Drawing& drawing, double width, double height, double t) const
{
    const double cx = width / 2;
    const double cy = height / 2;

    drawing.stroke(Path().roundedRect({ cx - 156, cy - 50, 116, 100 }, 8), colors.line, {});
    drawing.stroke(Path::line({ cx - 156, cy - 26 }, { cx - 40, cy - 26 }), colors.line, {});
    for (const double ring : { cx - 121.2, cx - 74.8 })
        drawing.stroke(Path::line({ ring, cy - 57 }, { ring, cy - 45 }), colors.line, openLine(3));
    drawDayCells(drawing, cx, cy, colors);

    drawFlowLine(drawing, Path::line({ cx - 28, cy }, { cx + 14, cy }), colors.accent, t);
    drawArrowHead(drawing, cx + 16, cy, colors.accent);
    drawProductTile(drawing, { cx + 26, cy - 26, 52, 52 }, 12, colors, t);
}

}
