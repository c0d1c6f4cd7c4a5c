#include "permission-wizard/gtk/WizardWidgets.h"

#include "permission-wizard/gtk/Signals.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace ikw::wizard::gtk {

namespace {

void addClass(GtkWidget* widget, const std::string& name)
{
    gtk_style_context_add_class(gtk_widget_get_style_context(widget), name.c_str());
}

void setSource(cairo_t* context, const Color& color)
{
    cairo_set_source_rgba(context, color.red, color.green, color.blue, color.alpha);
}

void roundedRectangle(cairo_t* context, double x, double y, double width, double height, double radius)
{
    const double r = radius < 0 ? std::min(width, height) / 2 : std::min({ radius, width / 2, height / 2 });
    cairo_new_sub_path(context);
    cairo_arc(context, x + width - r, y + r, r, -G_PI / 2, 0);
    cairo_arc(context, x + width - r, y + height - r, r, 0, G_PI / 2);
    cairo_arc(context, x + r, y + height - r, r, G_PI / 2, G_PI);
    cairo_arc(context, x + r, y + r, r, G_PI, 3 * G_PI / 2);
    cairo_close_path(context);
}

gboolean drawShape(GtkWidget* widget, cairo_t* context, gpointer data)
{
    const auto& shape = *static_cast<const Shape*>(data);
    const double width = gtk_widget_get_allocated_width(widget);
    const double height = gtk_widget_get_allocated_height(widget);
    if (shape.fill) {
        roundedRectangle(context, 0, 0, width, height, shape.radius);
        setSource(context, *shape.fill);
        cairo_fill(context);
    }
    if (shape.border) {
        // Inside the shape: the 1-point line is centred half a point in from its edge.
        const double radius = shape.radius < 0 ? -1 : std::max(0.0, shape.radius - 0.5);
        roundedRectangle(context, 0.5, 0.5, width - 1, height - 1, radius);
        setSource(context, *shape.border);
        cairo_set_line_width(context, 1);
        if (shape.dashed) {
            const double dashes[] = { 4, 4 };
            cairo_set_dash(context, dashes, 2, 0);
            cairo_set_line_cap(context, CAIRO_LINE_CAP_BUTT);
            cairo_set_line_join(context, CAIRO_LINE_JOIN_MITER);
            cairo_set_miter_limit(context, 10);
        }
        cairo_stroke(context);
        cairo_set_dash(context, nullptr, 0, 0);
    }
    return FALSE; // the children draw on top
}

void deleteShape(gpointer data, GClosure*)
{
    std::unique_ptr<Shape> owned(static_cast<Shape*>(data));
}

struct SymbolPicture {
    Symbol symbol;
    Color color;
};

void drawSymbol(cairo_t* context, const SymbolPicture& picture, double size)
{
    setSource(context, picture.color);
    const double c = size / 2;
    cairo_set_line_cap(context, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(context, CAIRO_LINE_JOIN_ROUND);
    switch (picture.symbol) {
    case Symbol::CheckCircle:
        cairo_push_group(context);
        cairo_arc(context, c, c, size * 0.45, 0, 2 * G_PI);
        cairo_fill(context);
        cairo_set_operator(context, CAIRO_OPERATOR_CLEAR);
        cairo_set_line_width(context, size * 0.11);
        cairo_move_to(context, size * 0.29, size * 0.52);
        cairo_line_to(context, size * 0.44, size * 0.66);
        cairo_line_to(context, size * 0.71, size * 0.36);
        cairo_stroke(context);
        cairo_pop_group_to_source(context);
        cairo_paint(context);
        break;
    case Symbol::Circle:
        cairo_set_line_width(context, std::max(1.0, size * 0.08));
        cairo_arc(context, c, c, size * 0.42, 0, 2 * G_PI);
        cairo_stroke(context);
        break;
    case Symbol::Dot:
        cairo_arc(context, c, c, size / 2, 0, 2 * G_PI);
        cairo_fill(context);
        break;
    case Symbol::RaisedHand:
        // Four fingers over a palm.
        for (int finger = 0; finger < 4; ++finger) {
            const double x = size * (0.24 + finger * 0.15);
            const double top = size * (finger == 0 || finger == 3 ? 0.2 : 0.08);
            roundedRectangle(context, x, top, size * 0.12, size * 0.5, size * 0.06);
            cairo_fill(context);
        }
        roundedRectangle(context, size * 0.22, size * 0.42, size * 0.58, size * 0.5, size * 0.2);
        cairo_fill(context);
        cairo_move_to(context, size * 0.24, size * 0.62);
        cairo_line_to(context, size * 0.08, size * 0.45);
        cairo_set_line_width(context, size * 0.12);
        cairo_stroke(context);
        break;
    case Symbol::ArrowRight:
        cairo_set_line_width(context, size * 0.13);
        cairo_move_to(context, size * 0.1, c);
        cairo_line_to(context, size * 0.88, c);
        cairo_move_to(context, size * 0.58, size * 0.22);
        cairo_line_to(context, size * 0.88, c);
        cairo_line_to(context, size * 0.58, size * 0.78);
        cairo_stroke(context);
        break;
    case Symbol::AddEntry:
        cairo_set_line_width(context, std::max(1.0, size * 0.09));
        roundedRectangle(context, size * 0.12, size * 0.3, size * 0.76, size * 0.6, size * 0.12);
        cairo_stroke(context);
        cairo_move_to(context, c, size * 0.06);
        cairo_line_to(context, c, size * 0.66);
        cairo_move_to(context, size * 0.32, size * 0.48);
        cairo_line_to(context, c, size * 0.66);
        cairo_line_to(context, size * 0.68, size * 0.48);
        cairo_stroke(context);
        break;
    }
}

GObjectRef<GdkPixbuf> applicationIcon(const std::string& appIconPath)
{
    // The largest of the windows' default icons.
    GList* icons = gtk_window_get_default_icon_list();
    GdkPixbuf* best = nullptr;
    for (GList* item = icons; item; item = item->next) {
        auto* icon = static_cast<GdkPixbuf*>(item->data);
        if (!best || gdk_pixbuf_get_height(icon) > gdk_pixbuf_get_height(best))
            best = icon;
    }
    g_list_free(icons);
    if (best)
        return GObjectRef<GdkPixbuf>::retain(best);
    if (appIconPath.empty())
        return {};
    return GObjectRef<GdkPixbuf>::adopt(gdk_pixbuf_new_from_file(appIconPath.c_str(), nullptr));
}

}

GtkWidget* textLabel(const std::string& text, const TextStyle& style, double xalign)
{
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_NONE);
    gtk_label_set_xalign(GTK_LABEL(label), static_cast<float>(xalign));
    gtk_label_set_justify(GTK_LABEL(label), xalign == 0.5 ? GTK_JUSTIFY_CENTER : GTK_JUSTIFY_LEFT);
    // Wrapping labels ask for little width and take what the column gives them.
    gtk_label_set_max_width_chars(GTK_LABEL(label), 1);
    gtk_widget_set_hexpand(label, TRUE);
    gtk_widget_set_halign(label, GTK_ALIGN_FILL);
    addClass(label, toneClass(style.tone));
    addClass(label, sizeClass(style.size));
    addClass(label, weightClass(style.weight));
    if (style.monospace)
        addClass(label, "ikw-mono");
    return label;
}

GtkWidget* inlineLabel(const std::string& text, const TextStyle& style, double xalign)
{
    GtkWidget* label = textLabel(text, style, xalign);
    gtk_widget_set_hexpand(label, FALSE);
    const auto characters = static_cast<int>(g_utf8_strlen(text.c_str(), -1));
    gtk_label_set_max_width_chars(GTK_LABEL(label), std::clamp(characters, 1, 50));
    return label;
}

GtkWidget* column(int spacing)
{
    return gtk_box_new(GTK_ORIENTATION_VERTICAL, spacing);
}

GtkWidget* row(int spacing)
{
    return gtk_box_new(GTK_ORIENTATION_HORIZONTAL, spacing);
}

GtkWidget* add(GtkWidget* box, GtkWidget* child)
{
    gtk_container_add(GTK_CONTAINER(box), child);
    return child;
}

GtkWidget* pad(GtkWidget* widget, int top, int right, int bottom, int left)
{
    gtk_widget_set_margin_top(widget, top);
    gtk_widget_set_margin_end(widget, right);
    gtk_widget_set_margin_bottom(widget, bottom);
    gtk_widget_set_margin_start(widget, left);
    return widget;
}

GtkWidget* flexibleSpace(int minimum)
{
    GtkWidget* space = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_set_vexpand(space, TRUE);
    gtk_widget_set_size_request(space, -1, minimum);
    return space;
}

GtkWidget* horizontalSpace()
{
    GtkWidget* space = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    gtk_widget_set_hexpand(space, TRUE);
    return space;
}

void paintShape(GtkWidget* widget, Shape shape)
{
    auto owned = std::make_unique<Shape>(std::move(shape));
    g_signal_connect_data(widget, "draw", G_CALLBACK(drawShape), owned.release(), deleteShape, GConnectFlags(0));
}

Color faded(const Color& color, double opacity)
{
    return { color.red, color.green, color.blue, color.alpha * opacity };
}

GtkWidget* plainButton(const std::string& label, const TextStyle& style, std::function<void()> action)
{
    GtkWidget* button = gtk_button_new();
    gtk_button_set_relief(GTK_BUTTON(button), GTK_RELIEF_NONE);
    addClass(button, "ikw-plain");
    GtkWidget* text = textLabel(label, style);
    gtk_widget_set_hexpand(text, FALSE);
    gtk_label_set_max_width_chars(GTK_LABEL(text), -1);
    gtk_label_set_line_wrap(GTK_LABEL(text), FALSE);
    gtk_container_add(GTK_CONTAINER(button), text);
    gtk_widget_set_valign(button, GTK_ALIGN_CENTER);
    gtk_widget_set_hexpand(button, FALSE);
    connectAction(button, "clicked", std::move(action));
    return button;
}

GtkWidget* primaryButton(const std::string& label, int horizontalPadding, const KDResolvedBrand& brand,
    std::function<void()> action)
{
    GtkWidget* button = plainButton(label, { .size = 13.5, .weight = 600, .tone = Tone::OnAccent }, std::move(action));
    gtk_style_context_remove_class(gtk_widget_get_style_context(button), "ikw-plain");
    addClass(button, "ikw-primary");
    pad(gtk_bin_get_child(GTK_BIN(button)), 9, horizontalPadding, 9, horizontalPadding);
    paintShape(button, { .fill = brand.accent, .border = std::nullopt, .radius = 8 });
    return button;
}

GtkWidget* symbolWidget(Symbol symbol, double size, const Color& color)
{
    GtkWidget* area = gtk_drawing_area_new();
    const int side = static_cast<int>(std::ceil(size));
    gtk_widget_set_size_request(area, side, side);
    gtk_widget_set_halign(area, GTK_ALIGN_CENTER);
    gtk_widget_set_valign(area, GTK_ALIGN_CENTER);
    auto picture = std::make_unique<SymbolPicture>(SymbolPicture { symbol, color });
    g_signal_connect_data(area, "draw", G_CALLBACK(+[](GtkWidget* widget, cairo_t* context, gpointer data) -> gboolean {
        drawSymbol(context, *static_cast<SymbolPicture*>(data), gtk_widget_get_allocated_height(widget));
        return TRUE;
    }), picture.release(), +[](gpointer data, GClosure*) { std::unique_ptr<SymbolPicture> owned(static_cast<SymbolPicture*>(data)); },
        GConnectFlags(0));
    return area;
}

GObjectRef<GdkPixbuf> loadMark(const WizardImage& image, double height, const std::string& appIconPath)
{
    if (image.isEmpty() || height <= 0)
        return {};
    GObjectRef<GdkPixbuf> source = image.isApplicationIcon
        ? applicationIcon(appIconPath)
        : GObjectRef<GdkPixbuf>::adopt(gdk_pixbuf_new_from_file(image.path.c_str(), nullptr));
    if (!source)
        return {};
    const double sourceWidth = gdk_pixbuf_get_width(source.get());
    const double sourceHeight = gdk_pixbuf_get_height(source.get());
    // A framed image keeps its proportions inside a square; others take the height asked for.
    const double fit = image.size > 0 ? std::min(height / sourceWidth, height / sourceHeight) : height / sourceHeight;
    const int width = std::max(1, static_cast<int>(std::lround(sourceWidth * fit)));
    const int scaledHeight = std::max(1, static_cast<int>(std::lround(sourceHeight * fit)));
    return GObjectRef<GdkPixbuf>::adopt(gdk_pixbuf_scale_simple(source.get(), width, scaledHeight, GDK_INTERP_BILINEAR));
}

GtkWidget* markWidget(const WizardImage& image, double height, const std::string& appIconPath)
{
    auto pixels = loadMark(image, height, appIconPath);
    GtkWidget* picture = gtk_drawing_area_new();
    gtk_widget_set_name(picture, "mark");
    const int width = pixels ? gdk_pixbuf_get_width(pixels.get()) : 0;
    gtk_widget_set_size_request(picture, width, static_cast<int>(std::lround(height)));
    gtk_widget_set_valign(picture, GTK_ALIGN_CENTER);
    gtk_widget_set_halign(picture, GTK_ALIGN_START);
    if (!pixels)
        return picture;
    auto owned = std::make_unique<GObjectRef<GdkPixbuf>>(std::move(pixels));
    g_signal_connect_data(picture, "draw", G_CALLBACK(+[](GtkWidget* widget, cairo_t* context, gpointer data) -> gboolean {
        GdkPixbuf* mark = static_cast<GObjectRef<GdkPixbuf>*>(data)->get();
        const double x = (gtk_widget_get_allocated_width(widget) - gdk_pixbuf_get_width(mark)) / 2.0;
        const double y = (gtk_widget_get_allocated_height(widget) - gdk_pixbuf_get_height(mark)) / 2.0;
        gdk_cairo_set_source_pixbuf(context, mark, x, y);
        cairo_paint(context);
        return TRUE;
    }), owned.release(), +[](gpointer data, GClosure*) { std::unique_ptr<GObjectRef<GdkPixbuf>> gone(static_cast<GObjectRef<GdkPixbuf>*>(data)); },
        GConnectFlags(0));
    return picture;
}

}
