#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ikw::ocr {

// An 8-bit bitmap in memory, top row first: `bytesPerPixel` is 1 (grey) or 3 (red, green, blue).
// The pixels are borrowed for the call that receives the view.
struct ImageView {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3;
    int bytesPerLine = 0;
    // The resolution the image was made at (a page drawn at twice its size in points: 144).
    int pixelsPerInch = 144;

    // Whether the view describes pixels that can be read whole.
    bool isUsable() const;
};

// Reads the text of images: the accurate recogniser with language correction, in the reading order
// it finds. Recognisers may be called from several threads at once.
class TextRecognizer {
public:
    virtual ~TextRecognizer() = default;
    // The text lines of the image, in order, without line ends; empty lines are left out. Nothing
    // when the image is unusable or recognition fails.
    virtual std::vector<std::string> recognizeLines(const ImageView& image) = 0;
};

}
