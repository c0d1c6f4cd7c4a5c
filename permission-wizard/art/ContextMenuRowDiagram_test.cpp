// The context-menu picture read back from its drawing commands: its layout for a range of label
// widths, where its arrow points, its motion, and the colours each scheme takes.
#include "permission-wizard/art/ContextMenuRowDiagram.h"

#include "permission-wizard/art/testing/RecordingDrawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

namespace ikw::wizard::art {
namespace {

using testing::DrawCommand;
using testing::record;

constexpr double canvasWidth = 600;
constexpr double canvasHeight = 132;
constexpr double cx = canvasWidth / 2;
constexpr double cy = canvasHeight / 2;

const ArtColors lightColors { .accent = { 0, 0.4, 0.9, 1 }, .ink = { 0, 0, 0, 0.85 }, .line = { 0.5, 0.5, 0.5, 0.45 } };

// The first command whose path is one rounded rectangle of this corner radius.
std::optional<DrawCommand> roundedRectCommand(const std::vector<DrawCommand>& commands, double corner, bool fill)
{
    for (const auto& command : commands) {
        const auto& elements = command.path.elements();
        if (elements.size() != 1 || command.isFill() != fill)
            continue;
        if (const auto* shape = std::get_if<Path::RoundedRect>(&elements.front()); shape && shape->corner == corner)
            return command;
    }
    return std::nullopt;
}

Rect menuRect(const std::vector<DrawCommand>& commands)
{
    const auto menu = roundedRectCommand(commands, 8, false);
    EXPECT_TRUE(menu);
    return menu ? std::get<Path::RoundedRect>(menu->path.elements().front()).rect : Rect {};
}

std::optional<DrawCommand> flowLine(const std::vector<DrawCommand>& commands)
{
    for (const auto& command : commands) {
        if (command.stroke && !command.stroke->dash.empty())
            return command;
    }
    return std::nullopt;
}

TEST(ContextMenuRowDiagram, MenuWidensWithTheLabelAboveAMinimumAndTheGroupStaysCentred)
{
    struct Case {
        std::optional<double> labelWidth; // nothing: the default
        double menuWidth;
    };
    const Case cases[] = { { std::nullopt, 142 }, { 96, 142 }, { 50, 120 }, { 200, 246 } };
    for (const auto& [labelWidth, expectedMenu] : cases) {
        SCOPED_TRACE(labelWidth.value_or(-1));
        ContextMenuRowDiagram diagram { .colors = lightColors };
        if (labelWidth)
            diagram.rowLabelWidth = *labelWidth;
        const auto commands = record(diagram, canvasWidth, canvasHeight, 0);

        const auto menu = menuRect(commands);
        EXPECT_DOUBLE_EQ(menu.width, expectedMenu);
        EXPECT_DOUBLE_EQ(menu.height, 99);
        const double group = expectedMenu + 102;
        const auto whole = testing::extent(commands);
        EXPECT_DOUBLE_EQ(whole.left(), cx - group / 2);
        EXPECT_DOUBLE_EQ(whole.right(), cx + group / 2);
        EXPECT_DOUBLE_EQ(menu.x + menu.width, cx + group / 2);
    }
}

TEST(ContextMenuRowDiagram, DefaultLayoutAndTheArrowIntoTheProductRow)
{
    const auto commands = record(ContextMenuRowDiagram { .colors = lightColors }, canvasWidth, canvasHeight, 0);
    EXPECT_EQ(commands, record(ContextMenuRowDiagram { .colors = lightColors, .rowLabelWidth = 96 }, canvasWidth,
                            canvasHeight, 0));

    const auto whole = testing::extent(commands);
    EXPECT_DOUBLE_EQ(whole.left(), cx - 122);
    EXPECT_DOUBLE_EQ(whole.right(), cx + 122);
    const auto menu = menuRect(commands);
    EXPECT_DOUBLE_EQ(menu.x, cx - 20);
    EXPECT_DOUBLE_EQ(menu.x + menu.width, cx + 122);

    // The document's right edge xd is cx - 76; the tip is at (xd + 50, cy - 33), the middle of
    // the first row (8 below the menu's top, 17 high).
    const double xd = cx - 76;
    const auto chevron = Path::polyline({ { xd + 37, cy - 39 }, { xd + 50, cy - 33 }, { xd + 37, cy - 27 } });
    const auto arrow = std::find_if(commands.begin(), commands.end(), [&](const DrawCommand& command) {
        return command.path == chevron;
    });
    ASSERT_NE(arrow, commands.end());
    EXPECT_EQ(arrow->color, lightColors.accent);
    EXPECT_DOUBLE_EQ(menu.y + 8 + 17 / 2.0, cy - 33);

    const auto line = flowLine(commands);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->path, Path().moveTo({ xd + 8, cy - 6 }).quadTo({ xd + 26, cy - 6 }, { xd + 48, cy - 33 }));
}

TEST(ContextMenuRowDiagram, DashesMarchAndTheProductRowBreathes)
{
    struct Case {
        double t;
        double dashPhase;
        double outlineOpacity;
    };
    const Case cases[] = { { 0, 0, 0.775 }, { 1, -13, 0.55 + 0.45 * (std::sin(2 * std::numbers::pi / 5.5) + 1) / 2 } };
    for (const auto& [t, dashPhase, outlineOpacity] : cases) {
        SCOPED_TRACE(t);
        const auto commands = record(ContextMenuRowDiagram { .colors = lightColors }, canvasWidth, canvasHeight, t);
        const auto line = flowLine(commands);
        ASSERT_TRUE(line);
        EXPECT_DOUBLE_EQ(line->stroke->dashPhase, dashPhase);
        const auto highlight = roundedRectCommand(commands, 4, false);
        ASSERT_TRUE(highlight);
        EXPECT_NEAR(highlight->color.alpha, outlineOpacity, 1e-12);
        EXPECT_DOUBLE_EQ(highlight->stroke->width, 1.5);
    }
}

TEST(ContextMenuRowDiagram, EachSchemeTakesItsOwnTintsAndContrastColours)
{
    struct Case {
        bool dark;
        double documentTint;
        Color menuFill;
        Color pointerEdge;
    };
    const Case cases[] = {
        { false, 0.06, { 0, 0, 0, 0.03 }, { 1, 1, 1, 0.9 } },
        { true, 0.1, { 1, 1, 1, 0.05 }, { 0, 0, 0, 0.5 } },
    };
    for (const auto& [dark, documentTint, menuFill, pointerEdge] : cases) {
        SCOPED_TRACE(dark);
        auto colors = lightColors;
        colors.dark = dark;
        const auto commands = record(ContextMenuRowDiagram { .colors = colors }, canvasWidth, canvasHeight, 0);
        ASSERT_GT(commands.size(), 3u);
        EXPECT_TRUE(commands[0].isFill()); // the document comes first
        EXPECT_EQ(commands[0].color, (Color { 0, 0.4, 0.9, documentTint }));
        const auto menu = roundedRectCommand(commands, 8, true);
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->color, menuFill);
        const auto edges = std::count_if(commands.begin(), commands.end(), [&](const DrawCommand& command) {
            return command.stroke && command.color == pointerEdge && command.stroke->join == LineJoin::Round;
        });
        EXPECT_EQ(edges, 1);
    }
}

TEST(ContextMenuRowDiagram, DegenerateCanvasesAndLabelsDrawOnlyFiniteNumbers)
{
    struct Case {
        double width;
        double height;
        double labelWidth;
    };
    const Case cases[] = { { 0, 0, 96 }, { 1, 1, -500 }, { 600, 132, std::nan("") },
        { 600, 132, std::numeric_limits<double>::infinity() } };
    for (const auto& [width, height, labelWidth] : cases) {
        SCOPED_TRACE(::testing::PrintToString(labelWidth));
        const auto commands = record(ContextMenuRowDiagram { .colors = lightColors, .rowLabelWidth = labelWidth },
            width, height, 0);
        EXPECT_FALSE(commands.empty());
        EXPECT_TRUE(testing::allFinite(commands));
    }
}

}
}
