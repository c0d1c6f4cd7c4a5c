#pragma once

#include "platform/pdf/Geometry.h"

#include <optional>

namespace ikw::pdf {

class Document;

// The two spaces a page's rectangles are given in: the page as shown (TextLine's space: points
// from the crop box's top left corner, y down, turned by the page's rotation) and the page's own
// space (PDF points of its content, y up). A value; cheap to copy.
class PageSpace {
public:
    // None for a missing page or one whose dictionary cannot be read.
    static std::optional<PageSpace> of(const Document& document, int index);

    // Bounds of the rectangle once mapped; rotations by quarter turns keep rectangles exact.
    Rect toPage(Rect shown) const;
    Rect toShown(Rect page) const;

private:
    // An affine map x' = a x + c y + e, y' = b x + d y + f.
    struct Matrix {
        double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
        Rect map(Rect rect) const;
        Matrix inverted() const;
    };

    explicit PageSpace(Matrix pageToShown) : m_toShown(pageToShown), m_toPage(pageToShown.inverted()) { }

    Matrix m_toShown;
    Matrix m_toPage;
};

}
