#include "thumbnail-tool/images/Pixbuf.h"

#include <algorithm>
#include <cmath>

namespace ikw::thumbnail {

FittedSize fitInSquare(double width, double height, int edge, bool enlarge)
{
    if (!(width > 0) || !(height > 0) || edge < 1)
        return { 0, 0 };
    double scale = edge / std::max(width, height);
    if (!enlarge)
        scale = std::min(scale, 1.0);
    return { std::max(1, static_cast<int>(std::lround(width * scale))), std::max(1, static_cast<int>(std::lround(height * scale))) };
}

}
