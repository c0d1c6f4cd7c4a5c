#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

namespace ikw::wizard::art {

// Part of a screen is captured into the product: a dashed selection with its handles on a
// display, and a flow line into the product's breathing tile.
struct CaptureDiagram {
    ArtColors colors;

    void draw(Drawing& drawing, double width, double height, double t) const;
};

}
