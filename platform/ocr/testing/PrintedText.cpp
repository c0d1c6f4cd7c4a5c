#include "platform/ocr/testing/PrintedText.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cmath>
#include <memory>
#include <stdexcept>

namespace ikw::ocr::testing {

namespace {

struct SurfaceRelease {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextRelease {
    void operator()(cairo_t* cairo) const { cairo_destroy(cairo); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceRelease>;
using Context = std::unique_ptr<cairo_t, ContextRelease>;

constexpr double kMarginPoints = 72;

Surface drawnPage(const std::vector<std::string>& lines, double pointSize, double widthPoints, double heightPoints, double pixelsPerPoint)
{
    const int width = static_cast<int>(std::lround(widthPoints * pixelsPerPoint));
    const int height = static_cast<int>(std::lround(heightPoints * pixelsPerPoint));
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    const Context cairo(cairo_create(surface.get()));
    cairo_set_source_rgb(cairo.get(), 1, 1, 1);
    cairo_paint(cairo.get());
    cairo_scale(cairo.get(), pixelsPerPoint, pixelsPerPoint);
    cairo_set_source_rgb(cairo.get(), 0, 0, 0);
    cairo_select_font_face(cairo.get(), "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cairo.get(), pointSize);
    double baseline = kMarginPoints + pointSize;
    for (const std::string& line : lines) {
        cairo_move_to(cairo.get(), kMarginPoints, baseline);
        cairo_show_text(cairo.get(), line.c_str());
        baseline += pointSize * 1.6;
    }
    cairo_surface_flush(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cairo could not draw the text");
    return surface;
}

cairo_status_t appendTo(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}

ImageView PrintedImage::view() const
{
    return { .pixels = rgb.data(), .width = width, .height = height, .bytesPerPixel = 3, .bytesPerLine = width * 3 };
}

PrintedImage printedText(const std::vector<std::string>& lines, double pointSize, double widthPoints, double heightPoints, double pixelsPerPoint)
{
    const Surface surface = drawnPage(lines, pointSize, widthPoints, heightPoints, pixelsPerPoint);
    PrintedImage image { cairo_image_surface_get_width(surface.get()), cairo_image_surface_get_height(surface.get()), {} };
    const int stride = cairo_image_surface_get_stride(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    image.rgb.reserve(static_cast<std::size_t>(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < image.width; ++x) {
            image.rgb.push_back(static_cast<std::uint8_t>(row[x] >> 16));
            image.rgb.push_back(static_cast<std::uint8_t>(row[x] >> 8));
            image.rgb.push_back(static_cast<std::uint8_t>(row[x]));
        }
    }
    return image;
}

std::string scannedPdf(const std::vector<std::vector<std::string>>& pages)
{
    constexpr double kWidth = 612;
    constexpr double kHeight = 792;
    constexpr double kPixelsPerPoint = 2;
    std::string bytes;
    {
        const Surface pdf(cairo_pdf_surface_create_for_stream(appendTo, &bytes, kWidth, kHeight));
        const Context cairo(cairo_create(pdf.get()));
        for (const auto& lines : pages) {
            const Surface scan = drawnPage(lines, 24, kWidth, kHeight, kPixelsPerPoint);
            cairo_save(cairo.get());
            cairo_scale(cairo.get(), 1 / kPixelsPerPoint, 1 / kPixelsPerPoint);
            cairo_set_source_surface(cairo.get(), scan.get(), 0, 0);
            cairo_paint(cairo.get());
            cairo_restore(cairo.get());
            cairo_show_page(cairo.get());
        }
        cairo_surface_finish(pdf.get());
        if (cairo_surface_status(pdf.get()) != CAIRO_STATUS_SUCCESS)
            throw std::runtime_error("cairo could not write the PDF");
    }
    return bytes;
}

}
