#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <optional>
#include <string>

namespace ikw::thumbnail {

// The image as PNG bytes. Thumbnails are made by the dozen: one fixed row filter keeps the encoder
// from dominating the run (libpng's adaptive filter search costs more than decoding the image).
std::optional<std::string> encodePng(GdkPixbuf* image);

}
