#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

namespace ikw::wizard::art {

// Events pass from a calendar to the product: a ring-bound sheet of day cells, one of them
// the accent, and a flow line into the product's tile.
struct CalendarDiagram {
    ArtColors colors;

    void draw(Drawing& drawing, double width, double height, double t) const;
};

}
