#pragma once

#include "platform/pdf/PageImage.h"

namespace ikw::crossdoc {

// How two page pictures are compared: square cells from the top left corner, the last column and
// row cut off at the picture's edge; a cell changed when the mean absolute difference of its red,
// green and blue values is strictly above the threshold.
struct CellRule {
    int cell = 16;
    double threshold = 16.0;
};

struct CellCount {
    int columns = 0;
    int rows = 0;
    long long changed = 0;

    // Changed cells over all cells (0 for an empty grid).
    double fraction() const;
};

// The picture on a white width x height canvas at its top left corner. A picture of that size
// comes back untouched; a larger side is cut off.
pdf::PageImage padToSize(pdf::PageImage image, int width, int height);

// Compares `a` with `b` cell by cell and tints each changed cell of `b` in place (red raised,
// green and blue lowered), so that `b` becomes the overlay. Both pictures must have the same size.
CellCount compareCells(const pdf::PageImage& a, pdf::PageImage& b, const CellRule& rule = {});

// The tint of one pixel of a changed cell, each value truncated to a byte.
struct Rgb {
    unsigned char r, g, b;
};
Rgb tinted(Rgb pixel);

}
