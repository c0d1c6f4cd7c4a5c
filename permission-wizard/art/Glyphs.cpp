#include "permission-wizard/art/Glyphs.h"

namespace ikw::wizard::art {

namespace {

void drawDisplay(Drawing& drawing, Rect screen, Color outline)
{
    drawing.stroke(Path().roundedRect(screen, 7), outline, {});
    const double middle = screen.x + screen.width / 2;
    const double foot = screen.y + screen.height + 9;
    const auto standColor = withOpacity(outline, 0.65);
    drawing.stroke(Path::line({ middle, screen.y + screen.height }, { middle, foot }), standColor, {});
    drawing.stroke(Path::line({ screen.x + 0.34 * screen.width, foot }, { screen.x + 0.66 * screen.width, foot }),
        standColor, openLine());
}

}

void drawPlainDisplay(Drawing& drawing, Rect screen, const ArtColors& colors)
{
    drawDisplay(drawing, screen, colors.line);
}

void drawTargetDisplay(Drawing& drawing, Rect screen, const ArtColors& colors, SchemeOpacity tintOpacity)
{
    drawing.fill(Path().roundedRect(screen, 7), tint(colors, tintOpacity));
    drawDisplay(drawing, screen, colors.accent);
}

void drawPointer(Drawing& drawing, Point reference, const ArtColors& colors)
{
    const auto [x, y] = reference;
    auto cursor = Path::polyline({ { x, y - 8 }, { x + 10, y + 6 }, { x + 4, y + 6 }, { x + 2, y + 12 } });
    cursor.close();
    drawing.fill(cursor, colors.ink);
    drawing.stroke(cursor, colors.dark ? black(0.5) : white(0.9), { .width = 1.5, .join = LineJoin::Round });
}

void drawWaves(Drawing& drawing, const Waves& waves, Color accent, double t)
{
    constexpr std::array<double, 3> phases { 0, -0.18, -0.36 };
    for (std::size_t i = 0; i < phases.size(); ++i) {
        drawing.stroke(Path().arc(waves.center, waves.radii[i], waves.startAngle, waves.endAngle),
            withOpacity(accent, pulse(t, phases[i]) * waves.factors[i]), openLine());
    }
}

void drawProductTile(Drawing& drawing, Rect tile, double corner, const ArtColors& colors, double t,
    SchemeOpacity tintOpacity)
{
    fillAndOutline(drawing, Path().roundedRect(tile, corner), tint(colors, tintOpacity),
        withOpacity(colors.accent, pulse(t, 0)));
}

}
