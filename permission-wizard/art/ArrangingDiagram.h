#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

namespace ikw::wizard::art {

// A window is placed into a tile of a screen: a window, a flow line into the right-hand tile
// of a display split in two.
struct ArrangingDiagram {
    ArtColors colors;

    void draw(Drawing& drawing, double width, double height, double t) const;
};

}
