#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

namespace ikw::wizard::art {

// A document with the pointer on it, and a curved flow line into a context menu whose first row,
// breathing, is the product's.
struct ContextMenuRowDiagram {
    ArtColors colors;
    double rowLabelWidth = 96; // the product row's label; sets the menu's width

    // The menu's width: the label and its icon, never narrower than 120.
    double menuWidth() const;
    void draw(Drawing& drawing, double width, double height, double t) const;
};

}
