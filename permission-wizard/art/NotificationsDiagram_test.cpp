// The notifications picture read back from its drawing commands: its flow line marches leftwards
// into the screen and ends in its own left-pointing chevron, and the banner breathes.
#include "permission-wizard/art/NotificationsDiagram.h"

#include "permission-wizard/art/testing/RecordingDrawing.h"
#include "permission-wizard/art/testing/SampleColors.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ikw::wizard::art {
namespace {

using testing::DrawCommand;
using testing::record;

const ArtColors colors = testing::sampleColors;

TEST(NotificationsDiagram, FlowLineRunsLeftwardsIntoTheScreenAndEndsInALeftChevron)
{
    // b = 0.42 W below the cap of 226; the display is centred 5 above the middle.
    for (const double width : { 400.0, 600.0 }) {
        SCOPED_TRACE(width);
        const double b = std::min(0.42 * width, 226.0);
        const double right = width / 2 + b / 2;
        const double middle = 66 - 5 - 0.52 * b / 2 + 36;
        const auto commands = record(NotificationsDiagram { .colors = colors }, width, 132, 1);
        ASSERT_GE(commands.size(), 2u);
        const auto& flow = commands[commands.size() - 2];
        ASSERT_TRUE(flow.stroke);
        EXPECT_EQ(flow.stroke->dash, (std::vector<double> { 5, 5 }));
        EXPECT_DOUBLE_EQ(flow.stroke->dashPhase, -13);
        const auto& line = flow.path.elements();
        ASSERT_EQ(line.size(), 2u);
        EXPECT_NEAR(std::get<Path::MoveTo>(line[0]).to.x, right + 44, 1e-9);
        EXPECT_NEAR(std::get<Path::LineTo>(line[1]).to.x, right + 10, 1e-9);
        EXPECT_NEAR(std::get<Path::LineTo>(line[1]).to.y, middle, 1e-9);

        const auto& chevron = commands.back();
        const auto& points = chevron.path.elements();
        ASSERT_EQ(points.size(), 3u);
        const auto tip = std::get<Path::LineTo>(points[1]).to;
        EXPECT_NEAR(tip.x, right + 8, 1e-9);
        EXPECT_NEAR(std::get<Path::MoveTo>(points[0]).to.x, right + 21, 1e-9);
        EXPECT_NEAR(std::get<Path::LineTo>(points[2]).to.x, right + 21, 1e-9);
        EXPECT_EQ(chevron.color, colors.accent);
        EXPECT_EQ(chevron.stroke->join, LineJoin::Round);
        EXPECT_EQ(chevron.stroke->cap, LineCap::Round);
    }
}

TEST(NotificationsDiagram, BannerOutlineBreathes)
{
    const auto outlineOpacity = [](double t) {
        const auto commands = record(NotificationsDiagram { .colors = colors }, 600, 132, t);
        const auto banner = std::find_if(commands.begin(), commands.end(), [](const DrawCommand& command) {
            const auto& elements = command.path.elements();
            const auto* shape = elements.empty() ? nullptr : std::get_if<Path::RoundedRect>(&elements.front());
            return command.stroke && shape && shape->corner == 7 && shape->rect.height == 32;
        });
        return banner == commands.end() ? -1.0 : banner->color.alpha;
    };
    EXPECT_DOUBLE_EQ(outlineOpacity(0), 0.775);
    EXPECT_DOUBLE_EQ(outlineOpacity(5.5 / 4), 1.0);
}

}
}
