#pragma once

// Internal to the PDF layer: box and rotation lookups on page objects.

#include "platform/pdf/Geometry.h"
#include "platform/pdf/MuPdfContext.h"

namespace ikw::pdf::detail {

// These throw MuPDF errors; call them inside fz_try.
Rect pageObjectBox(fz_context* context, pdf_obj* page, PageBox box);
int pageObjectRotation(fz_context* context, pdf_obj* page);

// Snaps any /Rotate value to 0, 90, 180 or 270, as viewers read it.
int normaliseRotation(int degrees);

// Maps the box, turned by the rotation, onto pixels at the scale with its corner at the origin.
fz_matrix boxToPixels(Rect box, int rotation, double scale);
Size shownSize(Rect box, int rotation);

}
