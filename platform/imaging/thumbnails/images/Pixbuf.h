#pragma once

#include "platform/core/GObjectRef.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

namespace ikw::thumbnail {

using Pixbuf = GObjectRef<GdkPixbuf>;

// The size that fits `width` x `height` into a square of `edge`, keeping the aspect ratio; never
// larger than the image itself unless `enlarge`.
struct FittedSize {
    int width;
    int height;
};
FittedSize fitInSquare(double width, double height, int edge, bool enlarge);

// The image scaled down to fit `width` x `height` (its proportions kept, each side at least one
// pixel); the image itself when it already fits, nothing when scaling fails.
Pixbuf shrinkIntoBox(Pixbuf image, int width, int height);

}
