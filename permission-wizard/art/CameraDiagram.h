#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

namespace ikw::wizard::art {

// A camera looks: a body with its lens, lamp and top plate, and three waves going out to its
// left.
struct CameraDiagram {
    ArtColors colors;

    void draw(Drawing& drawing, double width, double height, double t) const;
};

}
