#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

namespace ikw::wizard::art {

// Keystrokes reach the product: a keyboard whose one lit key sends a curved flow line into a
// text field with a breathing caret.
struct TypingDiagram {
    ArtColors colors;

    void draw(Drawing& drawing, double width, double height, double t) const;
};

}
