#include "permission-wizard/art/NotificationsDiagram.h"

#include "permission-wizard/art/Glyphs.h"

#include <algorithm>

namespace ikw::wizard::art {

namespace {

// The banner's icon and its two lines of text.
void drawBannerContent(Drawing& drawing, Rect banner, const ArtColors& colors)
{
    const double left = banner.x;
    const double middle = banner.y + banner.height / 2;
    const double textWidth = banner.width - 42;
    drawing.fill(Path().roundedRect({ left + 8, middle - 8, 16, 16 }, 4), colors.accent);
    drawing.fill(Path().roundedRect({ left + 31, middle - 6, textWidth * 0.62, 4 }, 2), withOpacity(colors.ink, 0.55));
    drawing.fill(Path().roundedRect({ left + 31, middle + 4, textWidth * 0.4, 4 }, 2), withOpacity(colors.ink, 0.32));
}

}

void NotificationsDiagram::draw(Drawing& drawing, double width, double height, double t) const
{
    const double cx = width / 2;
    const double cy = height / 2;
    const double screenWidth = std::min(0.42 * width, 226.0);
    const double screenHeight = 0.52 * screenWidth;
    const double x = cx - screenWidth / 2;
    const double top = cy - 5 - screenHeight / 2;
    drawPlainDisplay(drawing, { x, top, screenWidth, screenHeight }, colors);
    drawing.stroke(Path::line({ x + 6, top + 12 }, { x + screenWidth - 6, top + 12 }), withOpacity(colors.line, 0.55), {});

    const Rect banner { x + 0.42 * screenWidth, top + 20, 0.52 * screenWidth, 32 };
    fillAndOutline(drawing, Path().roundedRect(banner, 7), tint(colors, { 0.2, 0.14 }),
        withOpacity(colors.accent, pulse(t, 0)));
    drawBannerContent(drawing, banner, colors);

    // Drawn towards the screen, so that the dashes march into it, and ended with a chevron
    // pointing left.
    const double middle = banner.y + banner.height / 2;
    const double screenRight = x + screenWidth;
    drawFlowLine(drawing, Path::line({ screenRight + 44, middle }, { screenRight + 10, middle }), colors.accent, t);
    drawing.stroke(
        Path::polyline({ { screenRight + 21, middle - 6 }, { screenRight + 8, middle }, { screenRight + 21, middle + 6 } }),
        colors.accent, { .cap = LineCap::Round, .join = LineJoin::Round });
}

}
