// The listening picture read back from its drawing commands: drawn with the accent alone, and
// its waves light up one after the other going outwards.
#include "permission-wizard/art/ListeningDiagram.h"

#include "permission-wizard/art/testing/RecordingDrawing.h"
#include "permission-wizard/art/testing/SampleColors.h"

#include <gtest/gtest.h>

namespace ikw::wizard::art {
namespace {

using testing::DrawCommand;
using testing::record;

const ArtColors colors = testing::sampleColors;
const Color accent = colors.accent;

std::vector<DrawCommand> waves(const std::vector<DrawCommand>& commands)
{
    std::vector<DrawCommand> found;
    for (const auto& command : commands) {
        const auto& elements = command.path.elements();
        if (elements.empty())
            continue;
        if (const auto* arc = std::get_if<Path::Arc>(&elements.front()); arc && arc->startAngle < 0)
            found.push_back(command);
    }
    return found;
}

TEST(ListeningDiagram, WavesStandAtTheirStillOpacitiesAndBreatheOutwardsLater)
{
    const double cx = 300;
    const double cy = 66;
    const auto still = waves(record(ListeningDiagram { .colors = colors }, 600, 132, 0));
    ASSERT_EQ(still.size(), 3u);
    const double radii[] = { 26, 44, 62 };
    const double opacities[] = { 0.775 * 0.85, 0.5714 * 0.63, 0.6016 * 0.41 };
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(still[i].path, Path().arc({ cx - 50, cy }, radii[i], degrees(-52), degrees(52)));
        EXPECT_NEAR(still[i].color.alpha, opacities[i], 0.0001);
        EXPECT_EQ(still[i].stroke->cap, LineCap::Round);
    }

    // A quarter period on, the innermost is at its brightest and the next ones follow.
    const auto later = waves(record(ListeningDiagram { .colors = colors }, 600, 132, 5.5 / 4));
    ASSERT_EQ(later.size(), 3u);
    EXPECT_NEAR(later[0].color.alpha, 0.85, 1e-12);
    EXPECT_GT(later[1].color.alpha / 0.63, later[2].color.alpha / 0.41);
}

TEST(ListeningDiagram, DrawsWithTheAccentAlone)
{
    for (const bool dark : { false, true }) {
        const auto schemeColors = testing::sampleColorsIn(dark);
        for (const auto& command : record(ListeningDiagram { .colors = schemeColors }, 600, 132, 2)) {
            EXPECT_EQ(command.color.red, accent.red);
            EXPECT_EQ(command.color.green, accent.green);
            EXPECT_EQ(command.color.blue, accent.blue);
        }
    }
}

}
}
