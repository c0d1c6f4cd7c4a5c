#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

namespace ikw::wizard::art {

// A microphone hears: a capsule on its cradle and three waves that light up going outwards.
// Drawn with the accent alone.
struct ListeningDiagram {
    ArtColors colors;

    void draw(Drawing& drawing, double width, double height, double t) const;
};

}
