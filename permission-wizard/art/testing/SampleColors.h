#pragma once

#include "permission-wizard/art/ArtVocabulary.h"

namespace ikw::wizard::art::testing {

// Light-scheme colours whose three roles tell apart in a test: a blue accent, a near-black ink
// and a grey line, each at its own opacity.
inline const ArtColors sampleColors { .accent = { 0, 0.4, 0.9, 1 }, .ink = { 0.1, 0.1, 0.1, 0.85 },
    .line = { 0.5, 0.5, 0.5, 0.45 } };

// The sample colours in the given scheme.
inline ArtColors sampleColorsIn(bool dark)
{
    auto colors = sampleColors;
    colors.dark = dark;
    return colors;
}

}
