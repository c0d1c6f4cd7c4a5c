#pragma once

#include "docops/richtext/RichText.h"

#include <cmath>
#include <optional>
#include <string_view>

namespace ikw::richtext {

// The attributes of a run as the rich formats can store them: sizes in whole half points
// (1 to 3276, Word's range), colours opaque, a colour with alpha 0 left out.
struct WrittenAttributes {
    std::string_view fontFamily;
    std::optional<int> halfPoints;
    std::optional<Color> foreground;
    std::optional<Color> background;

    explicit WrittenAttributes(const RunAttributes& attributes)
        : fontFamily(attributes.fontFamily)
        , halfPoints(halfPointsOf(attributes.pointSize))
        , foreground(opaque(attributes.foreground))
        , background(opaque(attributes.background))
    {
    }

    static std::optional<int> halfPointsOf(std::optional<double> points)
    {
        if (!points || !std::isfinite(*points))
            return std::nullopt;
        const double halfPoints = std::round(*points * 2);
        if (halfPoints < 1)
            return 1;
        return static_cast<int>(std::min(halfPoints, 3276.0));
    }

    static std::optional<Color> opaque(std::optional<Color> color)
    {
        if (!color || color->alpha == 0)
            return std::nullopt;
        return Color { color->red, color->green, color->blue, 255 };
    }
};

// A colour as a number, for ordered tables: 0xRRGGBB.
inline std::uint32_t rgbKey(const Color& color)
{
    return (std::uint32_t(color.red) << 16) | (std::uint32_t(color.green) << 8) | color.blue;
}

}
