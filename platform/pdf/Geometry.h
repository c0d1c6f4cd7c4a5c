#pragma once

namespace ikw::pdf {

// A rectangle in PDF points: in the page's own coordinates (y grows upwards) unless a function
// says otherwise.
struct Rect {
    double x0 = 0;
    double y0 = 0;
    double x1 = 0;
    double y1 = 0;

    double width() const { return x1 - x0; }
    double height() const { return y1 - y0; }
    bool operator==(const Rect&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

// Which of a page's boxes an operation looks at. The crop box falls back to the media box and is
// clipped to it, as viewers show it.
enum class PageBox { Media, Crop };

// US Letter, the size a new page has when nothing else gives one.
inline constexpr Rect kLetterPage { 0, 0, 612, 792 };

}
