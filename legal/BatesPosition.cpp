#include "legal/BatesPosition.h"

namespace ikw::legal {

namespace {

struct PositionNames {
    BatesPosition position;
    std::string_view rawValue;
    std::string_view label;
};

constexpr PositionNames positionNames[] = {
    { BatesPosition::bottomRight, "bottomRight", "Bottom right" },
    { BatesPosition::bottomCenter, "bottomCenter", "Bottom center" },
    { BatesPosition::bottomLeft, "bottomLeft", "Bottom left" },
    { BatesPosition::topRight, "topRight", "Top right" },
    { BatesPosition::topCenter, "topCenter", "Top center" },
    { BatesPosition::topLeft, "topLeft", "Top left" },
};

const PositionNames& namesOf(BatesPosition position)
{
    for (const PositionNames& names : positionNames) {
        if (names.position == position)
            return names;
    }
    return positionNames[0];
}

}

std::string_view rawValue(BatesPosition position)
{
    return namesOf(position).rawValue;
}

std::string_view label(BatesPosition position)
{
    return namesOf(position).label;
}

std::optional<BatesPosition> batesPositionFromRawValue(std::string_view text)
{
    for (const PositionNames& names : positionNames) {
        if (names.rawValue == text)
            return names.position;
    }
    return std::nullopt;
}

}
