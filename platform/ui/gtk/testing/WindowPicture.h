#pragma once

// For display tests: a window drawn into a PNG, with its size and the spread and mean of its
// luminance, so a test can tell a drawn window from a blank one and a dark look from a light one.

#include <gtk/gtk.h>

#include <algorithm>
#include <string>

namespace ikw::ui::gtk3::testing {

struct WindowPicture {
    int width = 0;
    int height = 0;
    double luminanceSpan = 0;
    double meanLuminance = 0;
};

// Draws `window` as it is allocated into the PNG at `path`; the luminance is sampled every `step`
// pixels across and down.
inline WindowPicture drawWindowToPng(GtkWindow* window, const std::string& path, int step)
{
    GtkWidget* widget = GTK_WIDGET(window);
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* context = cairo_create(surface);
    gtk_widget_draw(widget, context);
    cairo_destroy(context);
    cairo_surface_flush(surface);
    cairo_surface_write_to_png(surface, path.c_str());

    double lowest = 1;
    double highest = 0;
    double sum = 0;
    int count = 0;
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; y += step) {
        for (int x = 0; x < width; x += step) {
            const auto* pixel = data + y * stride + x * 4;
            const double luminance = (0.0722 * pixel[0] + 0.7152 * pixel[1] + 0.2126 * pixel[2]) / 255;
            lowest = std::min(lowest, luminance);
            highest = std::max(highest, luminance);
            sum += luminance;
            ++count;
        }
    }
    cairo_surface_destroy(surface);
    return { width, height, highest - lowest, count ? sum / count : 0 };
}

}
