#include "permission-wizard/art/ArtVocabulary.h"

#include <cmath>
#include <numbers>

namespace ikw::wizard::art {

Color withOpacity(Color color, double opacity)
{
    color.alpha *= opacity;
    return color;
}

Color black(double opacity)
{
    return { 0, 0, 0, opacity };
}

Color white(double opacity)
{
    return { 1, 1, 1, opacity };
}

Color tint(const ArtColors& colors, SchemeOpacity opacity)
{
    return withOpacity(colors.accent, opacity.in(colors.dark));
}

double pulse(double t, double phase)
{
    constexpr double period = 5.5;
    return 0.55 + 0.45 * (std::sin(2 * std::numbers::pi * (t / period + phase)) + 1) / 2;
}

void fillAndOutline(Drawing& drawing, const Path& shape, Color fill, Color outline, const StrokeStyle& style)
{
    drawing.fill(shape, fill);
    drawing.stroke(shape, outline, style);
}

StrokeStyle openLine(double width)
{
    return { .width = width, .cap = LineCap::Round };
}

StrokeStyle flowLineStyle(double t)
{
    // Wrapped so that the phase stays small however large the absolute clock grows; 1000 is a
    // whole number of the 10-point patterns, so the wrap does not jump.
    return { .width = 2, .cap = LineCap::Round, .dash = { 5, 5 }, .dashPhase = -std::fmod(13 * t, 1000) };
}

void drawFlowLine(Drawing& drawing, const Path& path, Color accent, double t)
{
    drawing.stroke(path, accent, flowLineStyle(t));
}

void drawArrowHead(Drawing& drawing, double tipX, double y, Color color)
{
    drawing.stroke(Path::polyline({ { tipX - 13, y - 6 }, { tipX, y }, { tipX - 13, y + 6 } }), color,
        { .width = 2, .cap = LineCap::Round, .join = LineJoin::Round });
}

}
