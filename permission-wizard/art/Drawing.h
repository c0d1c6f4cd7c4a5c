#pragma once

#include "permission-wizard/Color.h"
#include "permission-wizard/art/Path.h"

#include <vector>

namespace ikw::wizard::art {

enum class LineCap { Butt, Round, Square };
enum class LineJoin { Miter, Round, Bevel };

// How a path's outline is drawn. The defaults are the art's outline: width 2, butt caps, miter
// joins, miter limit 10, no dash.
struct StrokeStyle {
    double width = 2;
    LineCap cap = LineCap::Butt;
    LineJoin join = LineJoin::Miter;
    double miterLimit = 10;
    std::vector<double> dash {}; // on and off lengths; empty: a solid line
    double dashPhase = 0;     // how far into the dash pattern the line starts

    // Whether the width, miter limit, dash lengths and phase are all finite numbers.
    bool isFinite() const;

    friend bool operator==(const StrokeStyle&, const StrokeStyle&) = default;
};

bool isFinite(Color color);

// Where the capability art draws: fills and strokes of paths in straight-alpha colours, in y-down
// coordinates whose unit is one point. Fills use the non-zero winding rule.
class Drawing {
public:
    virtual ~Drawing() = default;
    virtual void fill(const Path& path, Color color) = 0;
    virtual void stroke(const Path& path, Color color, const StrokeStyle& style) = 0;
};

}
