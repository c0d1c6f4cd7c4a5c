#include "permission-wizard/art/CairoDrawing.h"

#include <algorithm>
#include <numbers>
#include <type_traits>

namespace ikw::wizard::art {

namespace {

// cairo has no quadratic segment: the cubic with controls two thirds of the way from each end
// towards the quadratic control point traces the same curve.
void quadTo(cairo_t* context, Point control, Point to)
{
    if (!cairo_has_current_point(context))
        cairo_move_to(context, control.x, control.y);
    double fromX = 0;
    double fromY = 0;
    cairo_get_current_point(context, &fromX, &fromY);
    constexpr double twoThirds = 2.0 / 3.0;
    cairo_curve_to(context,
        fromX + twoThirds * (control.x - fromX), fromY + twoThirds * (control.y - fromY),
        to.x + twoThirds * (control.x - to.x), to.y + twoThirds * (control.y - to.y),
        to.x, to.y);
}

// Corners are quarter circles, their radius limited to half the shorter side.
void roundedRect(cairo_t* context, Rect rect, double corner)
{
    const auto box = rect.standardized();
    const double radius = std::clamp(corner, 0.0, std::min(box.width, box.height) / 2);
    constexpr double quarter = std::numbers::pi / 2;
    cairo_new_sub_path(context);
    cairo_arc(context, box.right() - radius, box.top() + radius, radius, -quarter, 0);
    cairo_arc(context, box.right() - radius, box.bottom() - radius, radius, 0, quarter);
    cairo_arc(context, box.left() + radius, box.bottom() - radius, radius, quarter, 2 * quarter);
    cairo_arc(context, box.left() + radius, box.top() + radius, radius, 2 * quarter, 3 * quarter);
    cairo_close_path(context);
}

void ellipse(cairo_t* context, Rect rect)
{
    const auto box = rect.standardized();
    if (box.width <= 0 || box.height <= 0)
        return; // nothing to draw, and a flat scale would put the context into an error state
    cairo_new_sub_path(context);
    cairo_save(context);
    cairo_translate(context, box.x + box.width / 2, box.y + box.height / 2);
    cairo_scale(context, box.width / 2, box.height / 2);
    cairo_arc(context, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_restore(context);
    cairo_close_path(context);
}

cairo_line_cap_t cairoCap(LineCap cap)
{
    switch (cap) {
    case LineCap::Butt:
        return CAIRO_LINE_CAP_BUTT;
    case LineCap::Round:
        return CAIRO_LINE_CAP_ROUND;
    case LineCap::Square:
        return CAIRO_LINE_CAP_SQUARE;
    }
    return CAIRO_LINE_CAP_BUTT;
}

cairo_line_join_t cairoJoin(LineJoin join)
{
    switch (join) {
    case LineJoin::Miter:
        return CAIRO_LINE_JOIN_MITER;
    case LineJoin::Round:
        return CAIRO_LINE_JOIN_ROUND;
    case LineJoin::Bevel:
        return CAIRO_LINE_JOIN_BEVEL;
    }
    return CAIRO_LINE_JOIN_MITER;
}

// A dash pattern cairo accepts: a negative length, or lengths that add up to nothing, would put
// the whole context into a lasting error state.
bool isUsableDash(const std::vector<double>& dash)
{
    double total = 0;
    for (const double length : dash) {
        if (length < 0)
            return false;
        total += length;
    }
    return total > 0;
}

void setColor(cairo_t* context, Color color)
{
    cairo_set_source_rgba(context, color.red, color.green, color.blue, color.alpha);
}

}

void CairoDrawing::setPath(const Path& path)
{
    cairo_new_path(m_context);
    for (const auto& element : path.elements()) {
        std::visit([&](const auto& part) {
            using Part = std::decay_t<decltype(part)>;
            if constexpr (std::is_same_v<Part, Path::MoveTo>)
                cairo_move_to(m_context, part.to.x, part.to.y);
            else if constexpr (std::is_same_v<Part, Path::LineTo>)
                cairo_line_to(m_context, part.to.x, part.to.y);
            else if constexpr (std::is_same_v<Part, Path::QuadTo>)
                quadTo(m_context, part.control, part.to);
            else if constexpr (std::is_same_v<Part, Path::CurveTo>)
                cairo_curve_to(m_context, part.control1.x, part.control1.y, part.control2.x, part.control2.y,
                    part.to.x, part.to.y);
            else if constexpr (std::is_same_v<Part, Path::Arc>)
                cairo_arc(m_context, part.center.x, part.center.y, std::max(part.radius, 0.0), part.startAngle,
                    part.endAngle);
            else if constexpr (std::is_same_v<Part, Path::Close>)
                cairo_close_path(m_context);
            else if constexpr (std::is_same_v<Part, Path::RoundedRect>)
                roundedRect(m_context, part.rect, part.corner);
            else if constexpr (std::is_same_v<Part, Path::Ellipse>)
                ellipse(m_context, part.rect);
        }, element);
    }
}

// A shape with a non-finite number in it is left out: it has no sensible picture, and some of
// cairo's calls would fail the context for the rest of the frame.
void CairoDrawing::fill(const Path& path, Color color)
{
    if (!path.isFinite() || !isFinite(color))
        return;
    cairo_save(m_context);
    setPath(path);
    setColor(m_context, color);
    cairo_set_fill_rule(m_context, CAIRO_FILL_RULE_WINDING);
    cairo_fill(m_context);
    cairo_restore(m_context);
}

void CairoDrawing::stroke(const Path& path, Color color, const StrokeStyle& style)
{
    if (!path.isFinite() || !isFinite(color) || !style.isFinite())
        return;
    cairo_save(m_context);
    setPath(path);
    setColor(m_context, color);
    cairo_set_line_width(m_context, style.width);
    cairo_set_line_cap(m_context, cairoCap(style.cap));
    cairo_set_line_join(m_context, cairoJoin(style.join));
    cairo_set_miter_limit(m_context, style.miterLimit);
    if (isUsableDash(style.dash))
        cairo_set_dash(m_context, style.dash.data(), static_cast<int>(style.dash.size()), style.dashPhase);
    cairo_stroke(m_context);
    cairo_restore(m_context);
}

}
