#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

namespace ikw::wizard::art {

// The product reaches a nearby device: waves from a plain display towards a tinted device
// marked with a radio rune.
struct BluetoothDiagram {
    ArtColors colors;

    void draw(Drawing& drawing, double width, double height, double t) const;
};

}
