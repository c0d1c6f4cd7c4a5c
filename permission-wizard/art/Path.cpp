#include "permission-wizard/art/Path.h"

#include <cmath>
#include <type_traits>

namespace ikw::wizard::art {

Path& Path::moveTo(Point to)
{
    m_elements.emplace_back(MoveTo { to });
    return *this;
}

Path& Path::lineTo(Point to)
{
    m_elements.emplace_back(LineTo { to });
    return *this;
}

Path& Path::quadTo(Point control, Point to)
{
    m_elements.emplace_back(QuadTo { control, to });
    return *this;
}

Path& Path::curveTo(Point control1, Point control2, Point to)
{
    m_elements.emplace_back(CurveTo { control1, control2, to });
    return *this;
}

Path& Path::arc(Point center, double radius, double startAngle, double endAngle)
{
    m_elements.emplace_back(Arc { center, radius, startAngle, endAngle });
    return *this;
}

Path& Path::close()
{
    m_elements.emplace_back(Close {});
    return *this;
}

Path& Path::roundedRect(Rect rect, double corner)
{
    m_elements.emplace_back(RoundedRect { rect, corner });
    return *this;
}

Path& Path::ellipse(Rect rect)
{
    m_elements.emplace_back(Ellipse { rect });
    return *this;
}

Path& Path::circle(Point center, double radius)
{
    return ellipse({ center.x - radius, center.y - radius, 2 * radius, 2 * radius });
}

Path& Path::append(const Element& element)
{
    m_elements.push_back(element);
    return *this;
}

Path Path::polyline(std::initializer_list<Point> points)
{
    Path path;
    bool first = true;
    for (const auto& point : points) {
        if (first)
            path.moveTo(point);
        else
            path.lineTo(point);
        first = false;
    }
    return path;
}

namespace {

bool finite(Point point) { return std::isfinite(point.x) && std::isfinite(point.y); }
bool finite(Rect rect)
{
    return std::isfinite(rect.x) && std::isfinite(rect.y) && std::isfinite(rect.width) && std::isfinite(rect.height);
}

}

bool Path::isFinite() const
{
    for (const auto& element : m_elements) {
        const bool ok = std::visit([](const auto& part) {
            using Part = std::decay_t<decltype(part)>;
            if constexpr (std::is_same_v<Part, MoveTo> || std::is_same_v<Part, LineTo>)
                return finite(part.to);
            else if constexpr (std::is_same_v<Part, QuadTo>)
                return finite(part.control) && finite(part.to);
            else if constexpr (std::is_same_v<Part, CurveTo>)
                return finite(part.control1) && finite(part.control2) && finite(part.to);
            else if constexpr (std::is_same_v<Part, Arc>)
                return finite(part.center) && std::isfinite(part.radius) && std::isfinite(part.startAngle)
                    && std::isfinite(part.endAngle);
            else if constexpr (std::is_same_v<Part, RoundedRect>)
                return finite(part.rect) && std::isfinite(part.corner);
            else if constexpr (std::is_same_v<Part, Ellipse>)
                return finite(part.rect);
            else
                return true;
        }, element);
        if (!ok)
            return false;
    }
    return true;
}

}
