#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace ikw::legal {

// Where a Bates label sits on the page. The raw value goes into settings hashes and manifests;
// the label is shown to people.
enum class BatesPosition { bottomRight, bottomCenter, bottomLeft, topRight, topCenter, topLeft };

inline constexpr std::array<BatesPosition, 6> allBatesPositions = {
    BatesPosition::bottomRight, BatesPosition::bottomCenter, BatesPosition::bottomLeft,
    BatesPosition::topRight, BatesPosition::topCenter, BatesPosition::topLeft,
};

std::string_view rawValue(BatesPosition position);
std::string_view label(BatesPosition position);
// Exact, case-sensitive match of a raw value; nothing for any other text.
std::optional<BatesPosition> batesPositionFromRawValue(std::string_view text);

}
