#pragma once

#include <cstdint>

namespace ikw::ui {

// An sRGB colour with components from 0 to 1.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    // 0xRRGGBB, opaque; the top byte is ignored.
    static constexpr Color fromHex(std::uint32_t rgb)
    {
        return { ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1 };
    }

    bool operator==(const Color&) const = default;
};

}
