#include "permission-wizard/art/testing/RecordingDrawing.h"

#include <algorithm>
#include <limits>
#include <type_traits>

namespace ikw::wizard::art::testing {

namespace {

class Bounds {
public:
    void add(Point point)
    {
        m_left = std::min(m_left, point.x);
        m_right = std::max(m_right, point.x);
        m_top = std::min(m_top, point.y);
        m_bottom = std::max(m_bottom, point.y);
    }
    void add(Rect rect)
    {
        const auto box = rect.standardized();
        add(Point { box.left(), box.top() });
        add(Point { box.right(), box.bottom() });
    }
    Rect rect() const
    {
        if (m_left > m_right)
            return {};
        return { m_left, m_top, m_right - m_left, m_bottom - m_top };
    }

private:
    double m_left = std::numeric_limits<double>::infinity();
    double m_right = -std::numeric_limits<double>::infinity();
    double m_top = std::numeric_limits<double>::infinity();
    double m_bottom = -std::numeric_limits<double>::infinity();
};

}

bool allFinite(const std::vector<DrawCommand>& commands)
{
    return std::all_of(commands.begin(), commands.end(), [](const DrawCommand& command) {
        return command.path.isFinite() && isFinite(command.color) && (!command.stroke || command.stroke->isFinite());
    });
}

std::vector<DrawCommand> commandsWith(const std::vector<DrawCommand>& commands, const Path::Element& element)
{
    std::vector<DrawCommand> found;
    for (const auto& command : commands) {
        const auto& elements = command.path.elements();
        if (std::find(elements.begin(), elements.end(), element) != elements.end())
            found.push_back(command);
    }
    return found;
}

Rect extent(const std::vector<DrawCommand>& commands)
{
    Bounds bounds;
    for (const auto& command : commands) {
        for (const auto& element : command.path.elements()) {
            std::visit([&](const auto& part) {
                using Part = std::decay_t<decltype(part)>;
                if constexpr (std::is_same_v<Part, Path::MoveTo> || std::is_same_v<Part, Path::LineTo>) {
                    bounds.add(part.to);
                } else if constexpr (std::is_same_v<Part, Path::QuadTo>) {
                    bounds.add(part.control);
                    bounds.add(part.to);
                } else if constexpr (std::is_same_v<Part, Path::CurveTo>) {
                    bounds.add(part.control1);
                    bounds.add(part.control2);
                    bounds.add(part.to);
                } else if constexpr (std::is_same_v<Part, Path::Arc>) {
                    bounds.add(Rect { part.center.x - part.radius, part.center.y - part.radius, 2 * part.radius,
                        2 * part.radius });
                } else if constexpr (std::is_same_v<Part, Path::RoundedRect> || std::is_same_v<Part, Path::Ellipse>) {
                    bounds.add(part.rect);
                }
            }, element);
        }
    }
    return bounds.rect();
}

}
