#pragma once

#include "platform/core/Json.h"

#include <array>
#include <map>
#include <string>
#include <string_view>

// The open surface's looks: its layouts, its palettes and the window background of each palette.
// The File History page, the settings panel and the appearance handling share them.
namespace ikw::library::OpenSurface {

inline constexpr std::array<std::string_view, 5> layouts { "covers", "live", "list", "preview", "columns" };
// "pagedark" is chosen by the appearance only, never by the setting.
inline constexpr std::array<std::string_view, 4> palettes { "cream", "slate", "paper", "warmdark" };

struct Sheet {
    double red = 0;
    double green = 0;
    double blue = 0;

    bool operator==(const Sheet&) const = default;
};

const std::map<std::string, Sheet, std::less<>>& sheets();

// "open_layout" when it names a layout, else "covers".
std::string layout(const Json& settings);
// "open_palette" when it names a palette, else "pagedark" in a dark appearance and "cream" in a light one.
std::string palette(const Json& settings, bool dark);
// The background of the palette in force ("cream"'s when it has none).
Sheet sheet(const Json& settings, bool dark);

}
