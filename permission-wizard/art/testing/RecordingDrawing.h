#pragma once

#include "permission-wizard/art/Drawing.h"

#include <functional>
#include <optional>
#include <vector>

#include <iosfwd>

namespace ikw::wizard::art {

// How test failures print a path: its elements and their numbers.
void PrintTo(const Path& path, std::ostream* out);

}

namespace ikw::wizard::art::testing {

// One fill or stroke, as a diagram asked for it.
struct DrawCommand {
    Path path;
    Color color;
    std::optional<StrokeStyle> stroke; // absent: a fill

    bool isFill() const { return !stroke; }
    friend bool operator==(const DrawCommand&, const DrawCommand&) = default;
};

// Keeps every command in order, for tests to read back.
class RecordingDrawing final : public Drawing {
public:
    void fill(const Path& path, Color color) override { m_commands.push_back({ path, color, std::nullopt }); }
    void stroke(const Path& path, Color color, const StrokeStyle& style) override
    {
        m_commands.push_back({ path, color, style });
    }

    const std::vector<DrawCommand>& commands() const { return m_commands; }

private:
    std::vector<DrawCommand> m_commands;
};

// The commands a diagram records when drawn at one size and time.
template<typename Diagram>
std::vector<DrawCommand> record(const Diagram& diagram, double width, double height, double t)
{
    RecordingDrawing drawing;
    diagram.draw(drawing, width, height, t);
    return drawing.commands();
}

// Every number in the commands (coordinates, colours, widths, dashes) is finite.
bool allFinite(const std::vector<DrawCommand>& commands);

// The commands whose path holds an element equal to `element`.
std::vector<DrawCommand> commandsWith(const std::vector<DrawCommand>& commands, const Path::Element& element);

// An element's numbers in a fixed order: its points (x, then y), then any radius, angles or corner.
std::vector<double> numbers(const Path::Element& element);

// The same commands with every path moved by (dx, dy).
std::vector<DrawCommand> translated(std::vector<DrawCommand> commands, double dx, double dy);

// Whether the two lists hold the same kinds of shapes in the same order, drawn the same way, with
// every coordinate, radius and angle within `tolerance` of its counterpart.
bool nearlyEqual(const std::vector<DrawCommand>& first, const std::vector<DrawCommand>& second,
    double tolerance = 1e-9);

// The leftmost, rightmost, topmost and bottommost points the commands' paths name (end points,
// control points, rectangles, and each arc's whole circle).
Rect extent(const std::vector<DrawCommand>& commands);

}
