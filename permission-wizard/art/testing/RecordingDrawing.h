#pragma once

#include "permission-wizard/art/Drawing.h"

#include <functional>
#include <optional>
#include <vector>

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

// The leftmost, rightmost, topmost and bottommost points the commands' paths name (end points,
// control points, rectangles, and each arc's whole circle).
Rect extent(const std::vector<DrawCommand>& commands);

}
