#include "permission-wizard/art/testing/RecordingDrawing.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <type_traits>

namespace ikw::wizard::art {

void PrintTo(const Path& path, std::ostream* out)
{
    static constexpr const char* names[] = { "move", "line", "quad", "curve", "arc", "close", "roundedRect", "ellipse" };
    *out << "{";
    for (const auto& element : path.elements()) {
        *out << " " << names[element.index()];
        for (const double number : testing::numbers(element))
            *out << " " << number;
        *out << ";";
    }
    *out << " }";
}

}

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

std::vector<double> numbers(const Path::Element& element)
{
    return std::visit([](const auto& part) -> std::vector<double> {
        using Part = std::decay_t<decltype(part)>;
        if constexpr (std::is_same_v<Part, Path::MoveTo> || std::is_same_v<Part, Path::LineTo>)
            return { part.to.x, part.to.y };
        else if constexpr (std::is_same_v<Part, Path::QuadTo>)
            return { part.control.x, part.control.y, part.to.x, part.to.y };
        else if constexpr (std::is_same_v<Part, Path::CurveTo>)
            return { part.control1.x, part.control1.y, part.control2.x, part.control2.y, part.to.x, part.to.y };
        else if constexpr (std::is_same_v<Part, Path::Arc>)
            return { part.center.x, part.center.y, part.radius, part.startAngle, part.endAngle };
        else if constexpr (std::is_same_v<Part, Path::RoundedRect>)
            return { part.rect.x, part.rect.y, part.rect.width, part.rect.height, part.corner };
        else if constexpr (std::is_same_v<Part, Path::Ellipse>)
            return { part.rect.x, part.rect.y, part.rect.width, part.rect.height };
        else
            return {};
    }, element);
}

namespace {

bool nearlyEqual(const Path& first, const Path& second, double tolerance)
{
    const auto& a = first.elements();
    const auto& b = second.elements();
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].index() != b[i].index())
            return false;
        const auto x = numbers(a[i]);
        const auto y = numbers(b[i]);
        for (std::size_t k = 0; k < x.size(); ++k) {
            if (!(std::abs(x[k] - y[k]) <= tolerance))
                return false;
        }
    }
    return true;
}

}

bool nearlyEqual(const std::vector<DrawCommand>& first, const std::vector<DrawCommand>& second, double tolerance)
{
    if (first.size() != second.size())
        return false;
    for (std::size_t i = 0; i < first.size(); ++i) {
        if (first[i].color != second[i].color || first[i].stroke != second[i].stroke
            || !nearlyEqual(first[i].path, second[i].path, tolerance))
            return false;
    }
    return true;
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

std::vector<DrawCommand> translated(std::vector<DrawCommand> commands, double dx, double dy)
{
    const auto move = [&](Point& point) {
        point.x += dx;
        point.y += dy;
    };
    const auto moveRect = [&](Rect& rect) {
        rect.x += dx;
        rect.y += dy;
    };
    for (auto& command : commands) {
        Path moved;
        for (auto element : command.path.elements()) {
            std::visit([&](auto& part) {
                using Part = std::decay_t<decltype(part)>;
                if constexpr (std::is_same_v<Part, Path::MoveTo> || std::is_same_v<Part, Path::LineTo>) {
                    move(part.to);
                } else if constexpr (std::is_same_v<Part, Path::QuadTo>) {
                    move(part.control);
                    move(part.to);
                } else if constexpr (std::is_same_v<Part, Path::CurveTo>) {
                    move(part.control1);
                    move(part.control2);
                    move(part.to);
                } else if constexpr (std::is_same_v<Part, Path::Arc>) {
                    move(part.center);
                } else if constexpr (std::is_same_v<Part, Path::RoundedRect> || std::is_same_v<Part, Path::Ellipse>) {
                    moveRect(part.rect);
                }
            }, element);
            moved.append(element);
        }
        command.path = moved;
    }
    return commands;
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
