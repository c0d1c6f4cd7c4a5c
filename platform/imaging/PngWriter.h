#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <optional>
#include <string>

namespace ikw::imaging {

// The image as PNG bytes, with its alpha channel when it has one; none for an image that is not
// 8-bit RGB(A). Thumbnails are made by the dozen: one fixed row filter keeps the encoder from
// dominating the run (libpng's adaptive filter search costs more than decoding the image).
std::optional<std::string> encodePng(GdkPixbuf* image);

}
