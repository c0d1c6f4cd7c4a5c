#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

#include <array>
#include <cstddef>

namespace ikw::wizard::art {

// The pictures several diagrams share.

// A display: its screen (corner 7) on a stand 9 below it. A plain display is outlined in `line`.
void drawPlainDisplay(Drawing& drawing, Rect screen, const ArtColors& colors);
// A target display is tinted and outlined in `accent`.
void drawTargetDisplay(Drawing& drawing, Rect screen, const ArtColors& colors, SchemeOpacity tintOpacity);

// An arrow cursor 10 wide and 20 tall around the reference point, filled with `ink` and edged so
// that it stands out in both schemes.
void drawPointer(Drawing& drawing, Point reference, const ArtColors& colors);

// Three concentric arcs that light up one after the other going outwards.
struct Waves {
    Point center;
    std::array<double, 3> radii {};   // innermost first
    double startAngle = 0;            // radians; the arcs run towards increasing angle
    double endAngle = 0;
    std::array<double, 3> factors {}; // each arc's opacity is its pulse times its factor
};
void drawWaves(Drawing& drawing, const Waves& waves, Color accent, double t);

// The breathing destination of a flow: tinted, outlined in `accent` at pulse(0).
void drawProductTile(Drawing& drawing, Rect tile, double corner, const ArtColors& colors, double t,
    SchemeOpacity tintOpacity = { 0.16, 0.11 });

}
