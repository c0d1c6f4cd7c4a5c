// The capture picture read back from its drawing commands: a selection whose dashes stand still
// while the flow line marches, its handles on its corners.
#include "permission-wizard/art/CaptureDiagram.h"

#include "permission-wizard/art/testing/RecordingDrawing.h"
#include "permission-wizard/art/testing/SampleColors.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ikw::wizard::art {
namespace {

using testing::DrawCommand;
using testing::record;

const ArtColors colors = testing::sampleColors;

std::vector<DrawCommand> dashed(const std::vector<DrawCommand>& commands)
{
    std::vector<DrawCommand> found;
    std::copy_if(commands.begin(), commands.end(), std::back_inserter(found), [](const DrawCommand& command) {
        return command.stroke && !command.stroke->dash.empty();
    });
    return found;
}

TEST(CaptureDiagram, SelectionDashesStandStillWhileTheFlowLineMarches)
{
    for (const double t : { 0.0, 3.7 }) {
        SCOPED_TRACE(t);
        const auto lines = dashed(record(CaptureDiagram { .colors = colors }, 600, 132, t));
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].stroke->dash, (std::vector<double> { 4, 3 }));
        EXPECT_EQ(lines[0].stroke->dashPhase, 0);
        EXPECT_EQ(lines[1].stroke->dash, (std::vector<double> { 5, 5 }));
        EXPECT_DOUBLE_EQ(lines[1].stroke->dashPhase, -13 * t);
    }
}

TEST(CaptureDiagram, HandlesSitOnTheSelectionsCorners)
{
    // b = 0.34 W below the cap of 190, h = 0.62 b.
    for (const double width : { 300.0, 600.0 }) {
        SCOPED_TRACE(width);
        const auto commands = record(CaptureDiagram { .colors = colors }, width, 132, 0);
        const auto selection = std::get<Path::RoundedRect>(dashed(commands)[0].path.elements().front()).rect;
        const double b = std::min(0.34 * width, 190.0);
        const double h = 0.62 * b;
        EXPECT_NEAR(selection.x, width / 2 - b / 2 - 34 + 0.16 * b, 1e-9);
        EXPECT_NEAR(selection.width, 0.52 * b, 1e-9);
        EXPECT_NEAR(selection.y, 66 - 0.22 * h, 1e-9);
        EXPECT_NEAR(selection.height, 0.46 * h, 1e-9);

        int handles = 0;
        for (const Point corner : { Point { selection.left(), selection.top() }, Point { selection.right(), selection.top() },
                 Point { selection.left(), selection.bottom() }, Point { selection.right(), selection.bottom() } }) {
            const bool found = std::any_of(commands.begin(), commands.end(), [&](const DrawCommand& command) {
                const auto* circle = std::get_if<Path::Ellipse>(&command.path.elements().front());
                return command.isFill() && circle && std::abs(circle->rect.x + 3 - corner.x) < 1e-9
                    && std::abs(circle->rect.y + 3 - corner.y) < 1e-9 && circle->rect.width == 6;
            });
            handles += found;
        }
        EXPECT_EQ(handles, 4);
    }
}

}
}
