#pragma once

#include "permission-wizard/Color.h"
#include "permission-wizard/art/Drawing.h"

namespace ikw::wizard::art {

// The colours a diagram is drawn with, chosen by its caller and never derived: `accent` for what
// belongs to the product or moves, `ink` for strong foreground (text bars, the pointer, status
// items), `line` for the muted outlines and scenery. `dark` is the wizard's colour scheme.
struct ArtColors {
    Color accent {};
    Color ink {};
    Color line {};
    bool dark = false;

    friend bool operator==(const ArtColors&, const ArtColors&) = default;
};

// An opacity that depends on the colour scheme.
struct SchemeOpacity {
    double dark = 1;
    double light = 1;

    double in(bool darkScheme) const { return darkScheme ? dark : light; }
};

// The colour at an opacity: its alpha multiplied by `opacity`.
Color withOpacity(Color color, double opacity);
Color black(double opacity);
Color white(double opacity);

// A fill of the accent at the scheme's opacity.
Color tint(const ArtColors& colors, SchemeOpacity opacity);

// An opacity that breathes between 0.55 and 1 with a period of 5.5 s; `phase` (in periods) shifts
// it, so that elements drawn with falling phases light up one after the other.
double pulse(double t, double phase);

// A shape filled, then outlined (an outline by default: width 2, butt caps, miter joins).
void fillAndOutline(Drawing& drawing, const Path& shape, Color fill, Color outline, const StrokeStyle& style = {});

// An open line: round caps, miter joins.
StrokeStyle openLine(double width = 2);

// The marching dashes of a flow line at time t: 13 points a second along the path's direction.
StrokeStyle flowLineStyle(double t);
void drawFlowLine(Drawing& drawing, const Path& path, Color accent, double t);

// An open chevron pointing towards +x with its tip at (tipX, y), 13 long and 12 high.
void drawArrowHead(Drawing& drawing, double tipX, double y, Color color);

}
