#pragma once

#include "legal/BatesConfig.h"

#include <array>

// Where a Bates label goes on a page: pure geometry in PDF points, origin at the page's lower left
// corner, y growing upwards, the label placed by its baseline.
namespace ikw::legal::BatesStamper {

struct StampPoint {
    double x = 0;
    double y = 0;
    bool operator==(const StampPoint&) const = default;
};

// The baseline start of a label `textWidth` wide with the font's `ascent` and `descent` (both
// positive) on a page of `pageWidth` x `pageHeight`: at the configured corner or edge centre,
// `margin` from the edges, then kept 2 points inside the page; on a page too small for the label
// the lower and left bound wins.
StampPoint stampPosition(double pageWidth, double pageHeight, double textWidth, double ascent, double descent,
    const BatesConfig& config);

// How far each of the halo's copies is moved from the label: max(0.09 x fontSize, 0.6).
double haloOffset(double fontSize);
// The eight offsets of the halo's copies, in drawing order.
std::array<StampPoint, 8> haloOffsets(double fontSize);

}
