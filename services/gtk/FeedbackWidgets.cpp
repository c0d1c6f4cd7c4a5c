#include "services/gtk/FeedbackWidgets.h"

#include "platform/core/GObjectRef.h"
#include "services/FeedbackForm.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace ikw::services::gtk {

namespace {

using Action = std::function<void()>;

void setSource(cairo_t* context, const SrgbColor& color, double opacity = 1)
{
    cairo_set_source_rgba(context, color.red, color.green, color.blue, color.alpha * opacity);
}

std::string css(const SrgbColor& color, double opacity = 1)
{
    char text[80];
    std::snprintf(text, sizeof text, "rgba(%d,%d,%d,%.3f)", int(std::lround(color.red * 255)), int(std::lround(color.green * 255)),
        int(std::lround(color.blue * 255)), color.alpha * opacity);
    return text;
}

// Per-widget drawing state, owned by the widget.
struct SymbolPaint {
    FeedbackSymbol symbol;
    SrgbColor color;
};

struct BadgePaint {
    FeedbackSymbol symbol;
    SrgbColor accent;
    bool selected = false;
};

struct SealPaint {
    SrgbColor accent;
    SealPose pose;
    gint64 start = -1;
};

template<typename T>
T* attach(GtkWidget* widget, const char* key, T value)
{
    auto* owned = new T(std::move(value));
    g_object_set_data_full(G_OBJECT(widget), key, owned, +[](gpointer data) { delete static_cast<T*>(data); });
    return owned;
}

template<typename T>
T* attached(GtkWidget* widget, const char* key)
{
    return static_cast<T*>(g_object_get_data(G_OBJECT(widget), key));
}

// Everything drawn under a group so that the marks cut out of a filled shape show what lies below.
void cutOut(cairo_t* context, const std::function<void()>& path)
{
    cairo_save(context);
    cairo_set_operator(context, CAIRO_OPERATOR_CLEAR);
    path();
    cairo_restore(context);
}

void roundedRectangle(cairo_t* context, double x, double y, double width, double height, double radius)
{
    cairo_new_sub_path(context);
    cairo_arc(context, x + width - radius, y + radius, radius, -G_PI / 2, 0);
    cairo_arc(context, x + width - radius, y + height - radius, radius, 0, G_PI / 2);
    cairo_arc(context, x + radius, y + height - radius, radius, G_PI / 2, G_PI);
    cairo_arc(context, x + radius, y + radius, radius, G_PI, 3 * G_PI / 2);
    cairo_close_path(context);
}

// The symbols on a 16 × 16 grid, filled in the current source.
void drawSymbol(cairo_t* context, FeedbackSymbol symbol)
{
    cairo_push_group(context);
    cairo_set_source_rgba(context, 0, 0, 0, 1); // the shape's coverage, whatever was set before
    switch (symbol) {
    case FeedbackSymbol::idea:
        cairo_arc(context, 8, 6.2, 5, 0.75 * G_PI, 2.25 * G_PI);
        cairo_line_to(context, 10, 11.5);
        cairo_line_to(context, 6, 11.5);
        cairo_close_path(context);
        cairo_fill(context);
        roundedRectangle(context, 6, 12.5, 4, 1.2, 0.5);
        roundedRectangle(context, 6.6, 14.2, 2.8, 1.2, 0.5);
        cairo_fill(context);
        break;
    case FeedbackSymbol::bug:
        cairo_save(context);
        cairo_translate(context, 8, 9.5);
        cairo_scale(context, 5.2, 5.8);
        cairo_arc(context, 0, 0, 1, 0, 2 * G_PI);
        cairo_restore(context);
        cairo_fill(context);
        cairo_arc(context, 8, 3.2, 2.4, 0, 2 * G_PI);
        cairo_fill(context);
        cutOut(context, [context] {
            cairo_set_line_width(context, 0.9);
            cairo_move_to(context, 8, 4.6);
            cairo_line_to(context, 8, 15.5);
            cairo_stroke(context);
            for (const auto& [x, y] : { std::pair { 5.6, 8.0 }, { 10.4, 8.0 }, { 5.4, 11.6 }, { 10.6, 11.6 } }) {
                cairo_arc(context, x, y, 1.05, 0, 2 * G_PI);
                cairo_fill(context);
            }
        });
        break;
    case FeedbackSymbol::praise:
        roundedRectangle(context, 1, 1.5, 14, 10.5, 3);
        cairo_fill(context);
        cairo_move_to(context, 3.5, 11);
        cairo_line_to(context, 3, 15);
        cairo_line_to(context, 8, 11);
        cairo_close_path(context);
        cairo_fill(context);
        cutOut(context, [context] {
            cairo_set_line_width(context, 1.3);
            cairo_set_line_cap(context, CAIRO_LINE_CAP_ROUND);
            for (const auto& [y, end] : { std::pair { 4.8, 11.5 }, { 8.4, 9.0 } }) {
                cairo_move_to(context, 4.5, y);
                cairo_line_to(context, end, y);
            }
            cairo_stroke(context);
        });
        break;
    case FeedbackSymbol::dollar:
        cairo_arc(context, 8, 8, 7.5, 0, 2 * G_PI);
        cairo_fill(context);
        cutOut(context, [context] {
            cairo_set_line_width(context, 1.5);
            cairo_set_line_cap(context, CAIRO_LINE_CAP_ROUND);
            // An S between two arcs, and the stroke through it.
            cairo_arc_negative(context, 8, 6.2, 2.2, -0.1 * G_PI, -1.5 * G_PI);
            cairo_arc(context, 8, 9.8, 2.2, -0.5 * G_PI, 0.9 * G_PI);
            cairo_move_to(context, 8, 2.6);
            cairo_line_to(context, 8, 13.4);
            cairo_stroke(context);
        });
        break;
    }
    cairo_pop_group_to_source(context);
    cairo_paint(context);
}

// `draw` on a `size`-point square centred in the widget, at a 16-point grid.
void drawCentred(GtkWidget* widget, cairo_t* context, double size, const std::function<void()>& draw)
{
    const double width = gtk_widget_get_allocated_width(widget);
    const double height = gtk_widget_get_allocated_height(widget);
    cairo_save(context);
    cairo_translate(context, (width - size) / 2, (height - size) / 2);
    cairo_scale(context, size / 16, size / 16);
    draw();
    cairo_restore(context);
}

void paintSymbol(cairo_t* context, FeedbackSymbol symbol, const SrgbColor& color)
{
    cairo_push_group_with_content(context, CAIRO_CONTENT_ALPHA);
    drawSymbol(context, symbol);
    cairo_pattern_t* mask = cairo_pop_group(context);
    setSource(context, color);
    cairo_mask(context, mask);
    cairo_pattern_destroy(mask);
}

// The seal: a scalloped circle with a check mark cut out, on a 16-point grid.
void paintSeal(cairo_t* context, const SrgbColor& color)
{
    cairo_push_group_with_content(context, CAIRO_CONTENT_ALPHA);
    cairo_set_source_rgba(context, 0, 0, 0, 1);
    const int bumps = 12;
    for (int i = 0; i <= bumps * 8; ++i) {
        const double angle = 2 * G_PI * i / (bumps * 8);
        const double radius = 7.2 + 0.55 * std::cos(angle * bumps);
        cairo_line_to(context, 8 + radius * std::cos(angle), 8 + radius * std::sin(angle));
    }
    cairo_close_path(context);
    cairo_fill(context);
    cutOut(context, [context] {
        cairo_set_line_width(context, 1.6);
        cairo_set_line_cap(context, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(context, CAIRO_LINE_JOIN_ROUND);
        cairo_move_to(context, 5, 8.2);
        cairo_line_to(context, 7.1, 10.3);
        cairo_line_to(context, 11.2, 5.9);
        cairo_stroke(context);
    });
    cairo_pattern_t* mask = cairo_pop_group(context);
    setSource(context, color);
    cairo_mask(context, mask);
    cairo_pattern_destroy(mask);
}

bool animationsEnabled(GtkWidget* widget)
{
    gboolean enabled = TRUE;
    g_object_get(gtk_widget_get_settings(widget), "gtk-enable-animations", &enabled, nullptr);
    return enabled;
}

constexpr double kSealEntranceSeconds = 1.4;

}

void connectAction(gpointer instance, const char* signal, std::function<void()> action)
{
    g_signal_connect_data(instance, signal, G_CALLBACK(+[](gpointer, gpointer data) {
        const Action run = *static_cast<Action*>(data); // the handler may drop the widget
        run();
    }),
        new Action(std::move(action)), +[](gpointer data, GClosure*) { delete static_cast<Action*>(data); }, GConnectFlags(0));
}

void addClass(GtkWidget* widget, const char* name)
{
    gtk_style_context_add_class(gtk_widget_get_style_context(widget), name);
}

void setClass(GtkWidget* widget, const char* name, bool on)
{
    GtkStyleContext* style = gtk_widget_get_style_context(widget);
    if (on)
        gtk_style_context_add_class(style, name);
    else
        gtk_style_context_remove_class(style, name);
}

GtkWidget* label(const std::string& text, const char* styleClass, float xalign)
{
    GtkWidget* widget = gtk_label_new(text.c_str());
    gtk_label_set_line_wrap(GTK_LABEL(widget), TRUE);
    gtk_label_set_xalign(GTK_LABEL(widget), xalign);
    gtk_label_set_max_width_chars(GTK_LABEL(widget), 50);
    if (xalign == 0.5f)
        gtk_label_set_justify(GTK_LABEL(widget), GTK_JUSTIFY_CENTER);
    if (styleClass)
        addClass(widget, styleClass);
    return widget;
}

GtkWidget* box(GtkOrientation orientation, int spacing)
{
    return gtk_box_new(orientation, spacing);
}

GtkWidget* pad(GtkWidget* widget, int top, int right, int bottom, int left)
{
    gtk_widget_set_margin_top(widget, top);
    gtk_widget_set_margin_end(widget, right);
    gtk_widget_set_margin_bottom(widget, bottom);
    gtk_widget_set_margin_start(widget, left);
    return widget;
}

std::string boldMarkup(std::string_view markdown)
{
    std::string markup;
    bool bold = false;
    for (std::size_t at = 0; at < markdown.size();) {
        const auto next = markdown.find("**", at);
        const auto run = markdown.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at);
        char* escaped = g_markup_escape_text(run.data(), gssize(run.size()));
        markup += escaped;
        g_free(escaped);
        if (next == std::string_view::npos)
            break;
        markup += bold ? "</b>" : "<b>";
        bold = !bold;
        at = next + 2;
    }
    if (bold)
        markup += "</b>";
    return markup;
}

std::string feedbackCss(const SrgbColor& accent)
{
    const SrgbColor onAccent = accentLabel(accent);
    std::string sheet;
    sheet += ".ikw-feedback { background-color: @theme_bg_color; }\n";
    sheet += ".ikw-feedback .title { font-size: 15pt; font-weight: 600; }\n";
    sheet += ".ikw-feedback .subheadline { font-size: 11pt; }\n";
    sheet += ".ikw-feedback .footnote { font-size: 10pt; }\n";
    sheet += ".ikw-feedback .caption { font-size: 9pt; }\n";
    sheet += ".ikw-feedback .secondary { color: alpha(@theme_fg_color, 0.6); }\n";
    sheet += ".ikw-feedback .thanks { font-size: 17pt; font-weight: 700; }\n";
    sheet += ".ikw-feedback .medium { font-weight: 500; }\n";
    sheet += ".ikw-feedback .semibold { font-weight: 600; }\n";
    sheet += ".ikw-feedback .accent-text, .ikw-feedback .accent-text link { color: " + css(accent) + "; }\n";
    // The grounds of the controls: the desktop theme's view colour, in rounded rectangles.
    sheet += ".ikw-feedback .field { background-color: @theme_base_color; border-radius: 14px; border: 1px solid "
             "alpha(@theme_fg_color, 0.06); }\n";
    sheet += ".ikw-feedback .field.focused { border: 1px solid " + css(accent, 0.55) + "; box-shadow: inset 0 0 0 1px "
             + css(accent, 0.55) + "; }\n";
    sheet += ".ikw-feedback .plain, .ikw-feedback .plain text { background: none; border: none; box-shadow: none; "
             "outline: none; }\n";
    sheet += ".ikw-feedback .placeholder { color: alpha(@theme_fg_color, 0.45); }\n";
    sheet += ".ikw-feedback button.card { background-image: none; background-color: @theme_base_color; border-radius: 14px; "
             "border: 1px solid alpha(@theme_fg_color, 0.06); box-shadow: none; padding: 12px 0; }\n";
    sheet += ".ikw-feedback button.card.selected { border: 1px solid " + css(accent, 0.7) + "; box-shadow: inset 0 0 0 1px "
             + css(accent, 0.7) + "; }\n";
    sheet += ".ikw-feedback .card-caption { font-size: 10pt; color: alpha(@theme_fg_color, 0.6); }\n";
    sheet += ".ikw-feedback .selected .card-caption { font-weight: 600; color: @theme_fg_color; }\n";
    sheet += ".ikw-feedback .banner { background-color: rgba(255,149,0,0.12); border-radius: 12px; }\n";
    sheet += ".ikw-feedback .warning-mark { color: rgb(255,149,0); }\n";
    sheet += ".ikw-feedback .footer { background-color: alpha(@theme_base_color, 0.6); }\n";
    sheet += ".ikw-feedback button.prominent { background-image: none; background-color: " + css(accent) + "; color: " + css(onAccent)
             + "; border: none; box-shadow: none; border-radius: 8px; padding: 8px; font-weight: 600; }\n";
    sheet += ".ikw-feedback button.prominent:hover { background-color: " + css(accent, 0.88) + "; }\n";
    sheet += ".ikw-feedback button.prominent:disabled { background-color: " + css(accent, 0.35) + "; }\n";
    sheet += ".ikw-feedback button.prominent label, .ikw-feedback button.prominent spinner { color: " + css(onAccent) + "; }\n";
    sheet += ".ikw-feedback button.pill { background-image: none; background-color: @theme_base_color; border-radius: 999px; "
             "border: 1px solid alpha(@theme_fg_color, 0.08); box-shadow: none; padding: 10px 18px; }\n";
    sheet += ".ikw-feedback .code { font-family: monospace; font-size: 15pt; font-weight: 700; }\n";
    sheet += ".ikw-feedback .copied { color: " + css(accent) + "; }\n";
    sheet += ".ikw-feedback button.close { background: none; border: none; box-shadow: none; padding: 2px; "
             "color: alpha(@theme_fg_color, 0.5); }\n";
    sheet += ".ikw-feedback switch:checked { background-color: " + css(accent) + "; border-color: " + css(accent) + "; }\n";
    return sheet;
}

GtkWidget* symbolWidget(FeedbackSymbol symbol, int side, SrgbColor color)
{
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_size_request(area, side, side);
    attach(area, "ikw-symbol", SymbolPaint { symbol, color });
    g_signal_connect(area, "draw", G_CALLBACK(+[](GtkWidget* widget, cairo_t* context, gpointer) -> gboolean {
        const auto* paint = attached<SymbolPaint>(widget, "ikw-symbol");
        const double side = std::min(gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget));
        drawCentred(widget, context, side, [&] { paintSymbol(context, paint->symbol, paint->color); });
        return TRUE;
    }), nullptr);
    return area;
}

GtkWidget* kindBadge(FeedbackSymbol symbol, const SrgbColor& accent)
{
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_size_request(area, 40, 40);
    gtk_widget_set_halign(area, GTK_ALIGN_CENTER);
    attach(area, "ikw-badge", BadgePaint { symbol, accent, false });
    g_signal_connect(area, "draw", G_CALLBACK(+[](GtkWidget* widget, cairo_t* context, gpointer) -> gboolean {
        const auto* paint = attached<BadgePaint>(widget, "ikw-badge");
        const double width = gtk_widget_get_allocated_width(widget);
        const double height = gtk_widget_get_allocated_height(widget);
        cairo_arc(context, width / 2, height / 2, 20, 0, 2 * G_PI);
        setSource(context, paint->accent, paint->selected ? 1 : 0.12);
        cairo_fill(context);
        drawCentred(widget, context, 18, [&] {
            paintSymbol(context, paint->symbol, paint->selected ? accentLabel(paint->accent) : paint->accent);
        });
        return TRUE;
    }), nullptr);
    return area;
}

void setBadgeSelected(GtkWidget* badge, bool selected)
{
    auto* paint = attached<BadgePaint>(badge, "ikw-badge");
    if (paint->selected == selected)
        return;
    paint->selected = selected;
    gtk_widget_queue_draw(badge);
}

SealPose sealEntrance(double seconds)
{
    if (seconds <= 0)
        return {};
    constexpr double response = 0.45;
    constexpr double damping = 0.6;
    const double omega = 2 * G_PI / response;
    const double damped = omega * std::sqrt(1 - damping * damping);
    const double progress = seconds >= kSealEntranceSeconds
        ? 1
        : 1 - std::exp(-damping * omega * seconds) * (std::cos(damped * seconds) + damping * omega / damped * std::sin(damped * seconds));
    return { 0.4 + 0.6 * progress, std::clamp(progress, 0.0, 1.0) };
}

GtkWidget* sealWidget(const SrgbColor& accent)
{
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_size_request(area, 96, 96);
    gtk_widget_set_halign(area, GTK_ALIGN_CENTER);
    attach(area, "ikw-seal", SealPaint { accent, {}, -1 });
    g_signal_connect(area, "draw", G_CALLBACK(+[](GtkWidget* widget, cairo_t* context, gpointer) -> gboolean {
        const auto* paint = attached<SealPaint>(widget, "ikw-seal");
        const double width = gtk_widget_get_allocated_width(widget);
        const double height = gtk_widget_get_allocated_height(widget);
        cairo_push_group(context);
        cairo_translate(context, width / 2, height / 2);
        cairo_scale(context, paint->pose.scale, paint->pose.scale);
        cairo_arc(context, 0, 0, 48, 0, 2 * G_PI);
        setSource(context, paint->accent, 0.12);
        cairo_fill(context);
        cairo_translate(context, -26, -26);
        cairo_scale(context, 52.0 / 16, 52.0 / 16);
        paintSeal(context, paint->accent);
        cairo_pop_group_to_source(context);
        cairo_paint_with_alpha(context, paint->pose.opacity);
        return TRUE;
    }), nullptr);
    return area;
}

void enterSeal(GtkWidget* seal)
{
    auto* paint = attached<SealPaint>(seal, "ikw-seal");
    if (!animationsEnabled(seal)) {
        paint->pose = { 1, 1 };
        gtk_widget_queue_draw(seal);
        return;
    }
    paint->start = -1;
    gtk_widget_add_tick_callback(seal, +[](GtkWidget* widget, GdkFrameClock* clock, gpointer) -> gboolean {
        auto* paint = attached<SealPaint>(widget, "ikw-seal");
        const gint64 now = gdk_frame_clock_get_frame_time(clock);
        if (paint->start < 0)
            paint->start = now;
        const double seconds = double(now - paint->start) / G_USEC_PER_SEC;
        paint->pose = sealEntrance(seconds);
        gtk_widget_queue_draw(widget);
        return seconds < kSealEntranceSeconds ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
    }, nullptr, nullptr);
}

SealPose sealPose(GtkWidget* seal)
{
    return attached<SealPaint>(seal, "ikw-seal")->pose;
}

GtkWidget* thumbnailWidget(const std::string& bytes)
{
    auto loader = GObjectRef<GdkPixbufLoader>::adopt(gdk_pixbuf_loader_new());
    const bool written = gdk_pixbuf_loader_write(loader.get(), reinterpret_cast<const guchar*>(bytes.data()), bytes.size(), nullptr);
    // A loader is always closed, also after a failed write.
    const bool loaded = gdk_pixbuf_loader_close(loader.get(), nullptr) && written;
    GdkPixbuf* pixels = loaded ? gdk_pixbuf_loader_get_pixbuf(loader.get()) : nullptr;
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_size_request(area, 40, 40);
    gtk_widget_set_valign(area, GTK_ALIGN_CENTER);
    if (!pixels)
        return area;
    attach(area, "ikw-thumbnail", GObjectRef<GdkPixbuf>::retain(pixels));
    g_signal_connect(area, "draw", G_CALLBACK(+[](GtkWidget* widget, cairo_t* context, gpointer) -> gboolean {
        GdkPixbuf* pixels = attached<GObjectRef<GdkPixbuf>>(widget, "ikw-thumbnail")->get();
        const double width = gdk_pixbuf_get_width(pixels);
        const double height = gdk_pixbuf_get_height(pixels);
        const double scale = 40 / std::min(width, height); // fill, the overflow cropped
        roundedRectangle(context, 0, 0, 40, 40, 9);
        cairo_clip(context);
        cairo_translate(context, (40 - width * scale) / 2, (40 - height * scale) / 2);
        cairo_scale(context, scale, scale);
        gdk_cairo_set_source_pixbuf(context, pixels, 0, 0);
        cairo_paint(context);
        return TRUE;
    }), nullptr);
    return area;
}

}
