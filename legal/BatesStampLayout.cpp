#include "legal/BatesStampLayout.h"

#include <algorithm>

namespace ikw::legal::BatesStamper {

namespace {

constexpr double pageInset = 2;

bool isBottom(BatesPosition position)
{
    return position == BatesPosition::bottomRight || position == BatesPosition::bottomCenter
        || position == BatesPosition::bottomLeft;
}

double unclampedX(BatesPosition position, double pageWidth, double textWidth, double margin)
{
    switch (position) {
    case BatesPosition::bottomLeft:
    case BatesPosition::topLeft:
        return margin;
    case BatesPosition::bottomCenter:
    case BatesPosition::topCenter:
        return (pageWidth - textWidth) * 0.5;
    case BatesPosition::bottomRight:
    case BatesPosition::topRight:
        break;
    }
    return pageWidth - margin - textWidth;
}

}

StampPoint stampPosition(double pageWidth, double pageHeight, double textWidth, double ascent, double descent,
    const BatesConfig& config)
{
    const double margin = config.margin;
    const double x = unclampedX(config.position, pageWidth, textWidth, margin);
    const double y = isBottom(config.position) ? margin + descent : pageHeight - margin - ascent;
    // max(min(...)) rather than std::clamp: the bounds cross on a page narrower than the label.
    return {
        std::max(std::min(x, pageWidth - textWidth - pageInset), pageInset),
        std::max(std::min(y, pageHeight - ascent - pageInset), pageInset),
    };
}

double haloOffset(double fontSize)
{
    return std::max(0.09 * fontSize, 0.6);
}

std::array<StampPoint, 8> haloOffsets(double fontSize)
{
    const double o = haloOffset(fontSize);
    return { { { -o, 0 }, { o, 0 }, { 0, -o }, { 0, o }, { -o, -o }, { o, o }, { -o, o }, { o, -o } } };
}

}
