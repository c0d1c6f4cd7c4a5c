#pragma once

#include <initializer_list>
#include <variant>
#include <vector>

namespace ikw::wizard::art {

struct Point {
    double x = 0;
    double y = 0;

    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double left() const { return width < 0 ? x + width : x; }
    double right() const { return width < 0 ? x : x + width; }
    double top() const { return height < 0 ? y + height : y; }
    double bottom() const { return height < 0 ? y : y + height; }
    // The same rectangle with a width and height that are never negative.
    Rect standardized() const { return { left(), top(), right() - left(), bottom() - top() }; }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// A vector outline, built in y-down canvas coordinates. A value: the same path can be filled and
// then stroked.
class Path {
public:
    struct MoveTo {
        Point to;
        friend bool operator==(const MoveTo&, const MoveTo&) = default;
    };
    struct LineTo {
        Point to;
        friend bool operator==(const LineTo&, const LineTo&) = default;
    };
    struct QuadTo {
        Point control;
        Point to;
        friend bool operator==(const QuadTo&, const QuadTo&) = default;
    };
    struct CurveTo {
        Point control1;
        Point control2;
        Point to;
        friend bool operator==(const CurveTo&, const CurveTo&) = default;
    };
    // Runs from startAngle towards increasing angle (radians from +x towards +y, so clockwise on
    // screen) to endAngle; joined to the current point by a line when there is one.
    struct Arc {
        Point center;
        double radius = 0;
        double startAngle = 0;
        double endAngle = 0;
        friend bool operator==(const Arc&, const Arc&) = default;
    };
    struct Close {
        friend bool operator==(const Close&, const Close&) = default;
    };
    // A closed sub-path of its own.
    struct RoundedRect {
        Rect rect;
        double corner = 0;
        friend bool operator==(const RoundedRect&, const RoundedRect&) = default;
    };
    // A closed sub-path of its own: the ellipse inscribed in the rectangle.
    struct Ellipse {
        Rect rect;
        friend bool operator==(const Ellipse&, const Ellipse&) = default;
    };
    using Element = std::variant<MoveTo, LineTo, QuadTo, CurveTo, Arc, Close, RoundedRect, Ellipse>;

    Path& moveTo(Point to);
    Path& lineTo(Point to);
    Path& quadTo(Point control, Point to);
    Path& curveTo(Point control1, Point control2, Point to);
    Path& arc(Point center, double radius, double startAngle, double endAngle);
    Path& close();
    Path& roundedRect(Rect rect, double corner);
    Path& ellipse(Rect rect);
    // The ellipse inscribed in the square of side 2 * radius centred on `center`.
    Path& circle(Point center, double radius);
    Path& append(const Element& element);

    // Straight segments through the points, as one open sub-path.
    static Path polyline(std::initializer_list<Point> points);
    static Path line(Point from, Point to) { return polyline({ from, to }); }

    const std::vector<Element>& elements() const { return m_elements; }
    bool isEmpty() const { return m_elements.empty(); }
    // Whether every coordinate, radius and angle is a finite number.
    bool isFinite() const;

    friend bool operator==(const Path&, const Path&) = default;

private:
    std::vector<Element> m_elements;
};

// Degrees to the radians a path's arcs take.
constexpr double degrees(double value) { return value * 3.14159265358979323846 / 180.0; }

}
