#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

namespace ikw::wizard::art {

// The product's item is lifted out of the menu bar: a bar of six status items whose third from
// the right is raised above its empty, dashed slot. It stands still.
struct MenuBarDiagram {
    ArtColors colors;

    void draw(Drawing& drawing, double width, double height, double t) const;
};

}
