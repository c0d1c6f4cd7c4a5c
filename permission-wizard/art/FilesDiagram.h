#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

namespace ikw::wizard::art {

// Files leave a folder for the product: a folder, three cards fading out towards an arrow head,
// and a tinted target display. It stands still.
struct FilesDiagram {
    ArtColors colors;

    void draw(Drawing& drawing, double width, double height, double t) const;
};

}
