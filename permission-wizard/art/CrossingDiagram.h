#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

namespace ikw::wizard::art {

// Something crosses from one screen to another: a plain display, a marching flow line into a
// tinted target display, and optionally the pointer setting off from the plain one.
struct CrossingDiagram {
    ArtColors colors;
    bool showsPointer = false; // the pointer just right of the plain display

    void draw(Drawing& drawing, double width, double height, double t) const;
};

}
