#pragma once

#include "platform/core/GObjectRef.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <optional>
#include <string>

namespace ikw::thumbnail {

using Pixbuf = GObjectRef<GdkPixbuf>;

// Makes a PNG thumbnail of a file that fits a square of `pixelEdge` pixels, keeping its aspect
// ratio. Called from several threads at once. Nothing means the file cannot be rendered.
class ThumbnailRenderer {
public:
    virtual ~ThumbnailRenderer() = default;
    virtual std::optional<std::string> render(const std::string& source, int pixelEdge) = 0;
};

// The size that fits `width` x `height` into a square of `edge`, keeping the aspect ratio; never
// larger than the image itself unless `enlarge`.
struct FittedSize {
    int width;
    int height;
};
FittedSize fitInSquare(double width, double height, int edge, bool enlarge);

}
