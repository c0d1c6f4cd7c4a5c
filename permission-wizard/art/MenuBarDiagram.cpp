#include "permission-wizard/art/MenuBarDiagram.h"

#include <algorithm>

namespace ikw::wizard::art {

namespace {

constexpr double itemSize = 15;
constexpr double itemPitch = 26;
constexpr int itemCount = 6;
constexpr int productItem = 2; // counted from the bar's right end

}

void MenuBarDiagram::draw(Drawing& drawing, double width, double height, double) const
{
    const double barWidth = std::min(0.74 * width, 400.0);
    const double barTop = (height - 56) / 2 + 30;
    const double barRight = (width + barWidth) / 2;
    fillAndOutline(drawing, Path().roundedRect({ (width - barWidth) / 2, barTop, barWidth, 26 }, 6),
        withOpacity(colors.line, colors.dark ? 0.18 : 0.12), colors.line, { .width = 1.5 });

    const double itemTop = barTop + 5.5;
    for (int item = 0; item < itemCount; ++item) {
        const double x = barRight - 29 - itemPitch * item;
        if (item != productItem) {
            drawing.fill(Path().roundedRect({ x, itemTop, itemSize, itemSize }, 3.5),
                withOpacity(colors.ink, colors.dark ? 0.55 : 0.45));
            continue;
        }
        // The product's item, lifted above the bar, and the dashed slot it left behind.
        fillAndOutline(drawing, Path().roundedRect({ x, barTop - 30, itemSize, itemSize }, 3.5),
            tint(colors, { 0.28, 0.18 }), colors.accent);
        drawing.stroke(Path().roundedRect({ x, itemTop, itemSize, itemSize }, 3.5), withOpacity(colors.accent, 0.55),
            { .width = 1.5, .dash = { 3, 3 } });
        const double middle = x + itemSize / 2;
        drawing.stroke(Path::line({ middle, barTop + 2.5 }, { middle, barTop - 11 }), colors.accent,
            { .width = 1.5, .cap = LineCap::Round, .dash = { 3, 3 } });
    }
}

}
