// The calendar picture read back from its drawing commands: fifteen day cells, one of them the
// accent's.
#include "permission-wizard/art/CalendarDiagram.h"

#include "permission-wizard/art/testing/RecordingDrawing.h"
#include "permission-wizard/art/testing/SampleColors.h"

#include <gtest/gtest.h>

namespace ikw::wizard::art {
namespace {

using testing::record;

const ArtColors colors = testing::sampleColors;

TEST(CalendarDiagram, OneAccentCellInRowOneColumnTwoAmongFifteen)
{
    const double cx = 300;
    const double cy = 66;
    std::vector<Path::RoundedRect> accentCells;
    int inkCells = 0;
    for (const auto& command : record(CalendarDiagram { .colors = colors }, 600, 132, 0)) {
        const auto& elements = command.path.elements();
        const auto* cell = elements.empty() ? nullptr : std::get_if<Path::RoundedRect>(&elements.front());
        if (!command.isFill() || !cell || cell->rect.width > 14)
            continue;
        if (command.color == colors.accent)
            accentCells.push_back(*cell);
        else if (command.color == withOpacity(colors.ink, 0.18) && cell->corner == 3)
            ++inkCells;
    }
    EXPECT_EQ(inkCells, 14);
    ASSERT_EQ(accentCells.size(), 1u);
    // Row 1, column 2, counted from 0: 19.2 apart across, 21.333 down.
    EXPECT_DOUBLE_EQ(accentCells[0].rect.x, cx - 144 + 2 * 19.2);
    EXPECT_NEAR(accentCells[0].rect.y, cy - 18 + 21.333, 0.001);
    EXPECT_NEAR(accentCells[0].rect.width, 13.2, 1e-9);
    EXPECT_NEAR(accentCells[0].rect.height, 15.333, 0.001);
    EXPECT_EQ(accentCells[0].corner, 4);
}

}
}
