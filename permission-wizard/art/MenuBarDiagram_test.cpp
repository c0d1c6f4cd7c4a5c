// The menu-bar picture read back from its drawing commands: the product's item is lifted out of
// the third slot from the bar's right end whatever the canvas, and each scheme takes its own
// shades.
#include "permission-wizard/art/MenuBarDiagram.h"

#include "permission-wizard/art/testing/RecordingDrawing.h"
#include "permission-wizard/art/testing/SampleColors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace ikw::wizard::art {
namespace {

using testing::DrawCommand;
using testing::record;

const ArtColors colors = testing::sampleColors;

// The status items: the 15-point squares of corner 3.5, with the command that drew each.
std::vector<std::pair<Rect, DrawCommand>> items(const std::vector<DrawCommand>& commands)
{
    std::vector<std::pair<Rect, DrawCommand>> found;
    for (const auto& command : commands) {
        const auto& elements = command.path.elements();
        if (elements.size() != 1)
            continue;
        if (const auto* shape = std::get_if<Path::RoundedRect>(&elements.front()); shape && shape->corner == 3.5)
            found.emplace_back(shape->rect, command);
    }
    return found;
}

Rect barOf(const std::vector<DrawCommand>& commands)
{
    return std::get<Path::RoundedRect>(commands.at(0).path.elements().front()).rect;
}

TEST(MenuBarDiagram, RaisedItemIsTheThirdFromTheBarsRightEndOnEveryCanvas)
{
    for (const double width : { 100.0, 300.0, 600.0, 900.0 }) {
        SCOPED_TRACE(width);
        const auto commands = record(MenuBarDiagram { .colors = colors }, width, 132, 0);
        const auto bar = barOf(commands);
        EXPECT_DOUBLE_EQ(bar.width, std::min(0.74 * width, 400.0));
        EXPECT_DOUBLE_EQ(bar.y, (132 - 56) / 2.0 + 30);

        // Six places in the bar, 26 apart from 29 left of its right end; the product's is an
        // empty dashed slot and the product's item floats 30 above the bar.
        std::vector<double> inBar;
        std::optional<Rect> raised;
        for (const auto& [rect, command] : items(commands)) {
            if (rect.y == bar.y + 5.5)
                inBar.push_back(rect.x);
            else if (command.isFill())
                raised = rect;
        }
        std::sort(inBar.begin(), inBar.end(), std::greater<>());
        ASSERT_EQ(inBar.size(), 6u);
        for (std::size_t k = 0; k < inBar.size(); ++k)
            EXPECT_DOUBLE_EQ(inBar[k], bar.x + bar.width - 29 - 26 * static_cast<double>(k));
        ASSERT_TRUE(raised);
        EXPECT_EQ(*raised, (Rect { inBar[2], bar.y - 30, 15, 15 }));

        const auto slot = testing::commandsWith(commands, Path::RoundedRect { { inBar[2], bar.y + 5.5, 15, 15 }, 3.5 });
        ASSERT_EQ(slot.size(), 1u);
        ASSERT_TRUE(slot[0].stroke);
        EXPECT_EQ(slot[0].stroke->dash, (std::vector<double> { 3, 3 }));
        EXPECT_EQ(slot[0].color, (Color { 0, 0.4, 0.9, 0.55 }));
        // The leader from the slot up towards the lifted item.
        const auto leader = Path::line({ inBar[2] + 7.5, bar.y + 2.5 }, { inBar[2] + 7.5, bar.y - 11 });
        const auto leaders = testing::commandsWith(commands, leader.elements().front());
        ASSERT_EQ(leaders.size(), 1u);
        EXPECT_EQ(leaders[0].path, leader);
        EXPECT_EQ(leaders[0].stroke, (StrokeStyle { .width = 1.5, .cap = LineCap::Round, .dash = { 3, 3 } }));
    }
}

TEST(MenuBarDiagram, EachSchemeShadesTheBarAndItsItems)
{
    struct Case {
        bool dark;
        double barOpacity;
        double itemOpacity;
        double raisedTint;
    };
    for (const auto& [dark, barOpacity, itemOpacity, raisedTint] :
        { Case { false, 0.12, 0.45, 0.18 }, Case { true, 0.18, 0.55, 0.28 } }) {
        SCOPED_TRACE(dark);
        const auto schemeColors = testing::sampleColorsIn(dark);
        const auto commands = record(MenuBarDiagram { .colors = schemeColors }, 600, 132, 0);
        EXPECT_EQ(commands.at(0).color, withOpacity(colors.line, barOpacity));
        EXPECT_EQ(commands.at(1).color, colors.line);
        EXPECT_EQ(commands.at(1).stroke->width, 1.5);
        int greyItems = 0;
        for (const auto& [rect, command] : items(commands)) {
            if (command.color == withOpacity(colors.ink, itemOpacity))
                ++greyItems;
            if (command.isFill() && command.color.blue == colors.accent.blue) {
                EXPECT_DOUBLE_EQ(command.color.alpha, raisedTint);
            }
        }
        EXPECT_EQ(greyItems, 5);
    }
}

}
}
