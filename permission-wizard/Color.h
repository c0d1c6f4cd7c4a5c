#pragma once

namespace ikw::wizard {

// An sRGB colour with straight (not premultiplied) alpha, each channel 0...1.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    friend bool operator==(const Color&, const Color&) = default;
};

}
