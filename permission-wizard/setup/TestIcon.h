#pragma once

#include "tests/support/TempHome.h"

#include <cairo.h>

#include <string>

namespace ikw::testing {

// An opaque PNG of `width` x `height` at `path` (its folders made), for the mark to be drawn from.
inline std::string writeTestIcon(const std::string& path, int width, int height)
{
    writeTestFile(path, "");
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* context = cairo_create(surface);
    cairo_set_source_rgb(context, 0.8, 0.7, 0.4);
    cairo_paint(context);
    cairo_destroy(context);
    cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    return path;
}

}
