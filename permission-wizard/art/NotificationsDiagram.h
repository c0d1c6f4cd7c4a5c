#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

namespace ikw::wizard::art {

// A banner arrives on the screen: a display with a breathing banner in its top right, and a
// flow line marching leftwards into it.
struct NotificationsDiagram {
    ArtColors colors;

    void draw(Drawing& drawing, double width, double height, double t) const;
};

}
