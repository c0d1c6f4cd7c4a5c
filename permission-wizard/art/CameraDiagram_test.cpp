// The camera picture read back from its drawing commands: its waves bulge out to the left of the
// body, and its lens sits on the body's centre.
#include "permission-wizard/art/CameraDiagram.h"

#include "permission-wizard/art/testing/RecordingDrawing.h"
#include "permission-wizard/art/testing/SampleColors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ikw::wizard::art {
namespace {

using testing::record;

const ArtColors colors = testing::sampleColors;

TEST(CameraDiagram, WavesBulgeLeftFromJustOutsideTheBody)
{
    const double cx = 300;
    const double cy = 66;
    const auto commands = record(CameraDiagram { .colors = colors }, 600, 132, 0);
    std::vector<Path::Arc> arcs;
    std::vector<double> opacities;
    for (const auto& command : commands) {
        if (const auto* arc = std::get_if<Path::Arc>(&command.path.elements().front())) {
            arcs.push_back(*arc);
            opacities.push_back(command.color.alpha);
        }
    }
    ASSERT_EQ(arcs.size(), 3u);
    const double radii[] = { 16, 30, 44 };
    const double still[] = { 0.775 * 0.8, 0.5714 * 0.59, 0.6016 * 0.38 };
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(arcs[i].center, (Point { cx - 60, cy }));
        EXPECT_EQ(arcs[i].radius, radii[i]);
        EXPECT_NEAR(opacities[i], still[i], 0.0001);
        // Drawn towards increasing angle from 128 to 232 degrees: through 180, on the left.
        EXPECT_DOUBLE_EQ(arcs[i].startAngle, degrees(128));
        EXPECT_DOUBLE_EQ(arcs[i].endAngle, degrees(232));
        EXPECT_LT(std::cos((arcs[i].startAngle + arcs[i].endAngle) / 2), -0.99);
    }

    // The body 4 right of the waves' centre, the lens on the body's centre.
    EXPECT_EQ(testing::commandsWith(commands, Path::RoundedRect { { cx - 56, cy - 42, 156, 84 }, 12 }).size(), 2u);
    const auto lens = testing::commandsWith(commands, Path::Ellipse { { cx + 22 - 30, cy - 30, 60, 60 } });
    ASSERT_EQ(lens.size(), 1u);
    EXPECT_EQ(lens[0].color, colors.accent);
}

}
}
