#pragma once

#include "platform/ocr/TextRecognizer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ikw::ocr::testing {

// A white RGB bitmap with lines of black text, drawn with cairo.
struct PrintedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    ImageView view() const;
};

// Lines of DejaVu Sans at `pointSize`, one under the other from the top left margin, on a page of
// `widthPoints` x `heightPoints` drawn at `pixelsPerPoint`.
PrintedImage printedText(const std::vector<std::string>& lines, double pointSize = 24, double widthPoints = 612,
    double heightPoints = 792, double pixelsPerPoint = 2);

// A PDF of scanned pages (a Letter page each) with no text layer: every page is one image of its
// lines at 24 pt, drawn at two pixels a point. An empty list of lines leaves a page blank.
std::string scannedPdf(const std::vector<std::vector<std::string>>& pages);

}
