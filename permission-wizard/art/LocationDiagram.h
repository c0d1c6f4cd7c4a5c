#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

namespace ikw::wizard::art {

// A pin on a map: a grid in its frame, a dashed accuracy ellipse and the pin, anchored a little
// below the canvas's middle. It stands still.
struct LocationDiagram {
    ArtColors colors;

    void draw(Drawing& drawing, double width, double height, double t) const;
};

}
