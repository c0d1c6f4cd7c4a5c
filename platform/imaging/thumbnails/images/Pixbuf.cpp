#include "platform/imaging/thumbnails/images/Pixbuf.h"

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

Pixbuf shrinkIntoBox(Pixbuf image, int width, int height)
{
    const int imageWidth = gdk_pixbuf_get_width(image.get());
    const int imageHeight = gdk_pixbuf_get_height(image.get());
    if (imageWidth <= width && imageHeight <= height)
        return image;
    const double scale = std::min(static_cast<double>(width) / imageWidth, static_cast<double>(height) / imageHeight);
    const auto side = [scale](int edge, int limit) { return std::clamp(static_cast<int>(std::lround(edge * scale)), 1, limit); };
    return Pixbuf::adopt(gdk_pixbuf_scale_simple(image.get(), side(imageWidth, width), side(imageHeight, height), GDK_INTERP_BILINEAR));
}

}
