#include "permission-wizard/art/ContextMenuRowDiagram.h"

#include "permission-wizard/art/Glyphs.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ikw::wizard::art {

namespace {

constexpr double documentWidth = 46;
constexpr double gapToMenu = 56; // from the document's right edge to the menu's left edge
constexpr double menuHeight = 99;
constexpr double rowPitch = 22;
constexpr double rowHeight = 17;

void drawDocument(Drawing& drawing, double left, double right, double cy, const ArtColors& colors)
{
    auto page = Path::polyline({ { left, cy - 29 }, { right - 13, cy - 29 }, { right, cy - 16 }, { right, cy + 29 },
        { left, cy + 29 } });
    page.close();
    drawing.fill(page, tint(colors, { 0.1, 0.06 }));
    drawing.stroke(page, colors.line, { .join = LineJoin::Round });
    drawing.stroke(Path::polyline({ { right - 13, cy - 29 }, { right - 13, cy - 16 }, { right, cy - 16 } }), colors.line,
        { .width = 1.5, .join = LineJoin::Round });
    for (const double y : { cy - 3, cy + 7, cy + 17 })
        drawing.stroke(Path::line({ left + 9, y }, { right - 9, y }), withOpacity(colors.ink, 0.28), openLine());
}

void drawMenu(Drawing& drawing, Rect menu, const ArtColors& colors, double t)
{
    const auto outline = Path().roundedRect(menu, 8);
    drawing.fill(outline, colors.dark ? white(0.05) : black(0.03));
    drawing.stroke(outline, colors.line, {});

    const double left = menu.x;
    const double right = menu.x + menu.width;
    const auto rowTop = [&](int row) { return menu.y + 8 + rowPitch * row; };
    const auto rowMiddle = [&](int row) { return rowTop(row) + rowHeight / 2; };

    const auto highlight = Path().roundedRect({ left + 5, rowTop(0), menu.width - 10, rowHeight }, 4);
    drawing.fill(highlight, tint(colors, { 0.24, 0.18 }));
    drawing.stroke(highlight, withOpacity(colors.accent, pulse(t, 0)), { .width = 1.5 });
    drawing.fill(Path().roundedRect({ left + 12, rowTop(0) + 4, 9, 9 }, 2), colors.accent);
    drawing.stroke(Path::line({ left + 27, rowMiddle(0) }, { right - 14, rowMiddle(0) }), colors.accent, openLine(2.5));

    constexpr std::array<double, 3> labelFractions { 0.74, 0.52, 0.63 };
    for (int row = 1; row <= 3; ++row) {
        const double length = (menu.width - 26) * labelFractions[row - 1];
        drawing.stroke(Path::line({ left + 12, rowMiddle(row) }, { left + 12 + length, rowMiddle(row) }),
            withOpacity(colors.ink, 0.3), openLine(2.5));
    }
}

}

double ContextMenuRowDiagram::menuWidth() const
{
    if (!std::isfinite(rowLabelWidth))
        return 120; // no label width to honour: the narrowest menu
    return std::max(rowLabelWidth + 46, 120.0);
}

void ContextMenuRowDiagram::draw(Drawing& drawing, double width, double height, double t) const
{
    const double cx = width / 2;
    const double cy = height / 2;
    const double menu = menuWidth();
    const double left = cx - (menu + documentWidth + gapToMenu) / 2;
    const double documentRight = left + documentWidth;

    drawDocument(drawing, left, documentRight, cy, colors);
    drawPointer(drawing, { documentRight - 14, cy + 6 }, colors);

    // Into the middle of the menu's first row.
    drawFlowLine(drawing,
        Path().moveTo({ documentRight + 8, cy - 6 }).quadTo({ documentRight + 26, cy - 6 }, { documentRight + 48, cy - 33 }),
        colors.accent, t);
    drawArrowHead(drawing, documentRight + 50, cy - 33, colors.accent);

    drawMenu(drawing, { documentRight + gapToMenu, cy - menuHeight / 2, menu, menuHeight }, colors, t);
}

}
