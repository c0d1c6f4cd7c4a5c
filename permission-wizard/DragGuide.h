#pragma once

#include <string>

namespace ikw::wizard {

// The panel that lets the user drag the application into the list in Settings: its texts and how
// its mark answers the pointer. A value; a display layer draws it.
struct DragGuide {
    std::string appName;

    static constexpr double hoverScale = 1.06;
    static constexpr double scaleSeconds = 0.18;

    std::string instruction() const; // "Click + in that list and choose <name>, then switch it on:"
    std::string hint() const;
    std::string tooltip() const;     // "Drag <name> into the list in Settings"
    std::string caption() const { return "drag me"; }
    std::string dropZoneLabel() const { return "the list in Settings"; }

    // The mark's scale while the pointer is (or is not) over it; motion off keeps 1.0.
    static double targetScale(bool hovering, bool reduceMotion);
    // The shadow under the mark: switched at once, never animated.
    struct Shadow {
        double opacity;
        double radius;
    };
    static Shadow shadow(bool hovering);
    // The ease-out curve of the scale change at `progress` (0...1, clamped).
    static double easeOut(double progress);
};

}
