#pragma once

#include "platform/pdf/Document.h"

// The blank-page test: a page is blank when it holds no text and next to no ink.
namespace ikw::docops {

// Pages with less ink than this share of their pixels count as blank.
inline constexpr double kBlankInkFraction = 0.0016;

// The share of dark pixels (grey below 205 of 255) of the page's media box drawn in grey at most
// 800 pixels on its longer side and never more than 1.4 pixels per point. 1.0 (all ink) for a
// page that cannot be drawn or is under a point wide or high: such a page is never blank.
double pageInkFraction(const pdf::Document& document, int index);

// Whether the page's text, trimmed of white space and line ends, is empty and its ink fraction
// is below kBlankInkFraction. A page with text is never drawn.
bool pageIsBlank(const pdf::Document& document, int index);

}
