#pragma once

#include <functional>

// Declared as cairo declares it, so that diagrams can be described without pulling in cairo here.
typedef struct _cairo cairo_t;

namespace ikw::wizard {

// A permission screen's animated illustration: draws one frame into a width x height area at
// `seconds`, the frame's time on the capability clock (KDFlowClock: seconds since 2001-01-01
// 00:00 UTC, 0 when motion is reduced, or the pinned time). A pure function of its arguments.
struct HeroDiagram {
    std::function<void(cairo_t* context, double width, double height, double seconds)> draw;
};

}
