// The crossing picture read back from its drawing commands: displays that scale with the canvas
// up to a cap around fixed offsets from the centre, and the pointer only when asked for.
#include "permission-wizard/art/CrossingDiagram.h"

#include "permission-wizard/art/testing/RecordingDrawing.h"
#include "permission-wizard/art/testing/SampleColors.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ikw::wizard::art {
namespace {

using testing::DrawCommand;
using testing::record;

constexpr double canvasHeight = 132;
const ArtColors colors = testing::sampleColors;

// The screens of the two displays, left to right: the outlines of corner 7.
std::vector<Rect> screens(const std::vector<DrawCommand>& commands)
{
    std::vector<Rect> found;
    for (const auto& command : commands) {
        const auto& elements = command.path.elements();
        if (!command.stroke || elements.size() != 1)
            continue;
        if (const auto* shape = std::get_if<Path::RoundedRect>(&elements.front()); shape && shape->corner == 7)
            found.push_back(shape->rect);
    }
    return found;
}

void expectNear(Rect actual, Rect expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
    EXPECT_NEAR(actual.width, expected.width, 1e-9);
    EXPECT_NEAR(actual.height, expected.height, 1e-9);
}

TEST(CrossingDiagram, DisplaysScaleWithTheCanvasUpToTheirCapAtFixedOffsetsFromTheCentre)
{
    struct Case {
        double canvasWidth;
        double screenWidth;
    };
    // On the narrowest canvas the plain display runs off the left edge rather than moving in.
    for (const auto& [canvasWidth, screenWidth] : { Case { 100, 31 }, Case { 400, 124 }, Case { 600, 170 } }) {
        SCOPED_TRACE(canvasWidth);
        const double cx = canvasWidth / 2;
        const double cy = canvasHeight / 2;
        const auto found = screens(record(CrossingDiagram { .colors = colors, .showsPointer = true }, canvasWidth,
            canvasHeight, 0));
        ASSERT_EQ(found.size(), 2u);
        const double screenHeight = 0.62 * screenWidth;
        expectNear(found[0], { cx - screenWidth - 46, cy - screenHeight / 2, screenWidth, screenHeight });
        expectNear(found[1], { cx + 46, cy - screenHeight / 2, screenWidth, screenHeight });
    }
}

TEST(CrossingDiagram, FlowLineRunsFromThePlainDisplayIntoTheTintedTarget)
{
    const auto commands = record(CrossingDiagram { .colors = colors }, 400, canvasHeight, 0);
    const double cx = 200;
    const double cy = 66;
    const auto flow = std::find_if(commands.begin(), commands.end(), [](const DrawCommand& command) {
        return command.stroke && !command.stroke->dash.empty();
    });
    ASSERT_NE(flow, commands.end());
    EXPECT_EQ(flow->path, Path::line({ cx - 58, cy }, { cx + 62, cy }));
    EXPECT_EQ(flow[1].path, Path::polyline({ { cx + 50, cy - 6 }, { cx + 63, cy }, { cx + 50, cy + 6 } }));
    // The target's screen is filled with the light tint before its outline.
    const auto target = screens(commands)[1];
    const auto targetCommands = testing::commandsWith(commands, Path::RoundedRect { target, 7 });
    ASSERT_EQ(targetCommands.size(), 2u);
    EXPECT_TRUE(targetCommands[0].isFill());
    EXPECT_EQ(targetCommands[0].color, (Color { 0, 0.4, 0.9, 0.09 }));
    EXPECT_EQ(targetCommands[1].color, colors.accent);
}

TEST(CrossingDiagram, PointerIsDrawnLastAndOnlyWhenAskedFor)
{
    const double cx = 300;
    const double cy = 66;
    auto cursor = Path::polyline({ { cx - 30, cy - 11 }, { cx - 20, cy + 3 }, { cx - 26, cy + 3 }, { cx - 28, cy + 9 } });
    cursor.close();

    const auto without = record(CrossingDiagram { .colors = colors, .showsPointer = false }, 600, canvasHeight, 0);
    EXPECT_TRUE(testing::commandsWith(without, Path::LineTo { { cx - 20, cy + 3 } }).empty());
    EXPECT_TRUE(std::none_of(without.begin(), without.end(), [](const DrawCommand& command) {
        return command.color == colors.ink;
    }));

    const auto with = record(CrossingDiagram { .colors = colors, .showsPointer = true }, 600, canvasHeight, 0);
    ASSERT_EQ(with.size(), without.size() + 2);
    EXPECT_TRUE(std::equal(without.begin(), without.end(), with.begin()));
    EXPECT_EQ(with[with.size() - 2], (DrawCommand { cursor, colors.ink, std::nullopt }));
    EXPECT_EQ(with.back().path, cursor);
}

}
}
