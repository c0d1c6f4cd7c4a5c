#pragma once

#include "thumbnail-tool/images/Pixbuf.h"

#include <string>

namespace ikw::thumbnail {

// Whether gdk-pixbuf has a loader for the MIME type.
bool isPixbufImageType(const std::string& mimeType);

// Decodes the image at the size that fits the square (JPEG scales while decoding), turned by its
// EXIF orientation, never enlarged beyond its own pixels.
Pixbuf loadImageFitted(const std::string& path, int pixelEdge);

}
