#include "permission-wizard/art/TypingDiagram.h"

#include "permission-wizard/art/Glyphs.h"

namespace ikw::wizard::art {

namespace {

constexpr double keyPitch = 22.8;
constexpr int keysPerRow = 6;

void drawKeyboard(Drawing& drawing, double cx, double cy, const ArtColors& colors)
{
    fillAndOutline(drawing, Path().roundedRect({ cx - 125, cy - 34, 150, 68 }, 10), tint(colors, { 0.08, 0.05 }),
        colors.line);

    const auto keyOutline = withOpacity(colors.line, 0.7);
    const StrokeStyle keyStyle { .width = 1.5 };
    const double rowTops[] = { cy - 26, cy - 6 };
    for (int row = 0; row < 2; ++row) {
        for (int key = 0; key < keysPerRow; ++key) {
            const auto shape = Path().roundedRect({ cx - 115 + keyPitch * key, rowTops[row], 16, 12 }, 3);
            // The key just pressed: the last of the top row.
            if (row == 0 && key == keysPerRow - 1)
                drawing.fill(shape, colors.accent);
            else
                drawing.stroke(shape, keyOutline, keyStyle);
        }
    }
    drawing.stroke(Path().roundedRect({ cx - 92.2, cy + 14, 84.4, 12 }, 3), keyOutline, keyStyle);
}

}

void TypingDiagram::draw(Drawing& drawing, double width, double height, double t) const
{
    const double cx = width / 2;
    const double cy = height / 2;

    drawKeyboard(drawing, cx, cy, colors);

    drawFlowLine(drawing, Path().moveTo({ cx + 31, cy - 20 }).quadTo({ cx + 51, cy - 20 }, { cx + 73, cy }), colors.accent,
        t);
    drawArrowHead(drawing, cx + 75, cy, colors.accent);

    // The text field: typed text and the caret after it.
    drawProductTile(drawing, { cx + 81, cy - 21, 44, 42 }, 6, colors, t);
    drawing.stroke(Path::line({ cx + 91, cy + 4 }, { cx + 109, cy + 4 }), withOpacity(colors.ink, 0.45), openLine());
    drawing.stroke(Path::line({ cx + 112, cy - 6 }, { cx + 112, cy + 8 }), withOpacity(colors.accent, pulse(t, 0)),
        openLine());
}

}
