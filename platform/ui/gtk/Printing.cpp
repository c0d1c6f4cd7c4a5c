#include "platform/ui/gtk/Printing.h"

#include "platform/core/Log.h"
#include "platform/ui/gtk/Window.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <memory>

namespace ikw::ui::gtk3 {

namespace {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

// The bitmap as a cairo image surface (opaque, so alpha is simply full).
Surface surfaceOf(const PrintBitmap& bitmap)
{
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, bitmap.width, bitmap.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    cairo_surface_flush(surface.get());
    unsigned char* const data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < bitmap.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        const std::uint8_t* source = bitmap.pixels.data() + static_cast<std::size_t>(y) * bitmap.width * 3;
        for (int x = 0; x < bitmap.width; ++x, source += 3)
            row[x] = 0xff000000u | (std::uint32_t(source[0]) << 16) | (std::uint32_t(source[1]) << 8) | source[2];
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

// The resolution to draw at: the printer's, at most 300 dpi. Vector targets (a PDF or PostScript
// file, a printer fed PDF) report 72 but keep any resolution, so they get the most.
double dotsPerInchOf(GtkPrintContext* context)
{
    switch (cairo_surface_get_type(cairo_get_target(gtk_print_context_get_cairo_context(context)))) {
    case CAIRO_SURFACE_TYPE_PDF:
    case CAIRO_SURFACE_TYPE_PS:
    case CAIRO_SURFACE_TYPE_SVG:
        return kMaxPrintDotsPerInch;
    default:
        return std::clamp(gtk_print_context_get_dpi_x(context), 72.0, kMaxPrintDotsPerInch);
    }
}

void drawPage(const PrintDocument& document, GtkPrintContext* context, int index)
{
    if (index < 0 || index >= static_cast<int>(document.pages.size()) || !document.renderPage)
        return;
    const PrintPageSize page = document.pages[static_cast<std::size_t>(index)];
    const PrintPageSize paper { gtk_print_context_get_width(context), gtk_print_context_get_height(context) };
    const PrintPlacement placement = placePageOnPaper(page, paper);
    const double pixelsPerPoint = dotsPerInchOf(context) / 72 * placement.scale;
    const std::optional<PrintBitmap> bitmap = document.renderPage(index, pixelsPerPoint);
    if (!bitmap || bitmap->width <= 0 || bitmap->height <= 0)
        return;
    const Surface surface = surfaceOf(*bitmap);
    if (!surface)
        return;
    cairo_t* cr = gtk_print_context_get_cairo_context(context);
    cairo_save(cr);
    cairo_translate(cr, placement.x, placement.y);
    if (placement.rotated)
        cairo_rotate(cr, G_PI / 2);
    // The bitmap's pixels onto the page's size on the paper.
    cairo_scale(cr, page.width * placement.scale / bitmap->width, page.height * placement.scale / bitmap->height);
    cairo_set_source_surface(cr, surface.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
}

GtkWindow* nativeOf(ui::Window* window)
{
    auto* gtkWindow = dynamic_cast<Window*>(window);
    return gtkWindow ? gtkWindow->native() : nullptr;
}

}

void Printing::print(ui::Window* parent, PrintDocument document, const std::string& exportFile)
{
    if (document.pages.empty())
        return;
    GtkPrintOperation* operation = gtk_print_operation_new();
    gtk_print_operation_set_n_pages(operation, static_cast<int>(document.pages.size()));
    gtk_print_operation_set_unit(operation, GTK_UNIT_POINTS);
    gtk_print_operation_set_job_name(operation, document.jobName.c_str());
    gtk_print_operation_set_show_progress(operation, exportFile.empty());
    // The run below is modal: every page is drawn before it returns, so the document may live here.
    const gulong drawHandler = g_signal_connect(operation, "draw-page",
        G_CALLBACK(+[](GtkPrintOperation*, GtkPrintContext* context, int index, gpointer data) {
            drawPage(*static_cast<const PrintDocument*>(data), context, index);
        }),
        &document);
    GtkPrintOperationAction action = GTK_PRINT_OPERATION_ACTION_PRINT_DIALOG;
    if (!exportFile.empty()) {
        gtk_print_operation_set_export_filename(operation, exportFile.c_str());
        action = GTK_PRINT_OPERATION_ACTION_EXPORT;
    }
    GError* error = nullptr;
    const GtkPrintOperationResult result = gtk_print_operation_run(operation, action, nativeOf(parent), &error);
    if (result == GTK_PRINT_OPERATION_RESULT_ERROR && error) {
        logLine(std::string("Inkwarden: printing failed: ") + error->message);
        g_error_free(error);
    }
    g_signal_handler_disconnect(operation, drawHandler);
    g_object_unref(operation);
}

}
