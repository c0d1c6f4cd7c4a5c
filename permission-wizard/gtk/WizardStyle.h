#pragma once

#include "permission-wizard/KDWizardBrand.h"

#include <string>

namespace ikw::wizard::gtk {

// The colour a text takes from the resolved brand.
enum class Tone { Ink, Muted, AccentText, OnAccent };

// How one text looks: its size in points (a point is drawn as a pixel), weight and colour.
struct TextStyle {
    double size = 13;
    int weight = 400;
    Tone tone = Tone::Ink;
    bool monospace = false;
};

// The style classes a label with `style` carries.
std::string toneClass(Tone tone);
std::string sizeClass(double size);
std::string weightClass(int weight);

// A CSS colour: "rgba(r,g,b,a)" with 0...255 channels and `alpha` times the colour's own.
std::string cssColor(const Color& color, double alpha = 1);

// The one style sheet of a wizard window, built from the brand resolved for its appearance: the
// tones, the text sizes from 9 to 30 points in half points, weights, bezel-less buttons, the
// ground under every scrolled area.
std::string wizardCss(const KDResolvedBrand& brand);

}
