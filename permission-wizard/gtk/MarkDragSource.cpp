#include "permission-wizard/gtk/MarkDragSource.h"

#include "permission-wizard/DragGuide.h"

#include <memory>
#include <utility>

namespace ikw::wizard::gtk {

namespace {

constexpr const char* sourceKey = "ikw-mark-drag-source";
// Room around the mark for its shadow and its growth.
constexpr int margin = 12;

void deleteSource(gpointer source)
{
    std::unique_ptr<MarkDragSource> owned(static_cast<MarkDragSource*>(source));
}

}

GtkWidget* MarkDragSource::create(GObjectRef<GdkPixbuf> mark, std::string bundlePath)
{
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_name(area, "drag-source");
    gtk_widget_set_size_request(area, markSide + 2 * margin, markSide + 2 * margin);
    gtk_widget_set_halign(area, GTK_ALIGN_CENTER);
    std::unique_ptr<MarkDragSource> source(new MarkDragSource(area, std::move(mark), std::move(bundlePath)));
    g_object_set_data_full(G_OBJECT(area), sourceKey, source.release(), deleteSource);
    return area;
}

MarkDragSource* MarkDragSource::from(GtkWidget* widget)
{
    return widget ? static_cast<MarkDragSource*>(g_object_get_data(G_OBJECT(widget), sourceKey)) : nullptr;
}

MarkDragSource::MarkDragSource(GtkWidget* area, GObjectRef<GdkPixbuf> mark, std::string bundlePath)
    : m_area(area)
    , m_mark(std::move(mark))
    , m_bundlePath(std::move(bundlePath))
{
    gtk_widget_add_events(area, GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK);
    g_signal_connect(area, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* context, gpointer self) -> gboolean {
        static_cast<MarkDragSource*>(self)->draw(context);
        return TRUE;
    }), this);
    g_signal_connect(area, "enter-notify-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
        static_cast<MarkDragSource*>(self)->setHovering(true);
        return FALSE;
    }), this);
    g_signal_connect(area, "leave-notify-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
        static_cast<MarkDragSource*>(self)->setHovering(false);
        return FALSE;
    }), this);
    g_signal_connect(area, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer self) {
        static_cast<MarkDragSource*>(self)->stopTicking();
    }), this);

    GtkTargetEntry uris { const_cast<gchar*>("text/uri-list"), 0, 0 };
    gtk_drag_source_set(area, GDK_BUTTON1_MASK, &uris, 1, GDK_ACTION_COPY);
    if (m_mark)
        gtk_drag_source_set_icon_pixbuf(area, m_mark.get());
    g_signal_connect(area, "drag-data-get", G_CALLBACK((+[](GtkWidget*, GdkDragContext*, GtkSelectionData* data, guint, guint, gpointer self) {
        const std::string list = static_cast<MarkDragSource*>(self)->uriList();
        if (list.empty())
            return;
        // One URI, without the line end gtk_selection_data_set_uris adds itself.
        const std::string uri = list.substr(0, list.find('\r'));
        gchar* uris[] = { const_cast<gchar*>(uri.c_str()), nullptr };
        gtk_selection_data_set_uris(data, uris);
    })), this);
}

MarkDragSource::~MarkDragSource()
{
    stopTicking();
}

std::string MarkDragSource::uriList() const
{
    if (m_bundlePath.empty())
        return {};
    gchar* uri = g_filename_to_uri(m_bundlePath.c_str(), nullptr, nullptr);
    if (!uri)
        return {};
    std::string list = std::string(uri) + "\r\n";
    g_free(uri);
    return list;
}

bool MarkDragSource::reducesMotion() const
{
    gboolean animations = TRUE;
    g_object_get(gtk_widget_get_settings(m_area), "gtk-enable-animations", &animations, nullptr);
    return !animations;
}

void MarkDragSource::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    m_from = m_scale;
    m_to = DragGuide::targetScale(hovering, reducesMotion());
    m_startMicroseconds = -1;
    if (m_to == m_scale || !gtk_widget_get_realized(m_area)) {
        m_scale = m_to;
        stopTicking();
    } else if (m_tickCallback == 0) {
        m_tickCallback = gtk_widget_add_tick_callback(m_area, +[](GtkWidget*, GdkFrameClock* clock, gpointer self) -> gboolean {
            static_cast<MarkDragSource*>(self)->tick(gdk_frame_clock_get_frame_time(clock));
            return G_SOURCE_CONTINUE;
        }, this, nullptr);
    }
    gtk_widget_queue_draw(m_area); // the shadow switches at once
}

void MarkDragSource::tick(gint64 frameMicroseconds)
{
    if (m_startMicroseconds < 0)
        m_startMicroseconds = frameMicroseconds;
    const double progress = (frameMicroseconds - m_startMicroseconds) / 1e6 / DragGuide::scaleSeconds;
    m_scale = m_from + (m_to - m_from) * DragGuide::easeOut(progress);
    if (progress >= 1) {
        m_scale = m_to;
        stopTicking();
    }
    gtk_widget_queue_draw(m_area);
}

void MarkDragSource::stopTicking()
{
    if (m_tickCallback != 0) {
        gtk_widget_remove_tick_callback(m_area, m_tickCallback);
        m_tickCallback = 0;
    }
}

void MarkDragSource::draw(cairo_t* context) const
{
    const double width = gtk_widget_get_allocated_width(m_area);
    const double height = gtk_widget_get_allocated_height(m_area);
    const double x = (width - markSide) / 2;
    const double y = (height - markSide) / 2;

    // A soft shadow 3 points down: rings fading out to the radius.
    const auto shadow = DragGuide::shadow(m_hovering);
    const int rings = static_cast<int>(shadow.radius);
    for (int ring = rings; ring >= 1; --ring) {
        const double grow = ring - 1;
        cairo_new_sub_path(context);
        cairo_arc(context, width / 2, height / 2 + 3, markSide / 2.0 - 4 + grow, 0, 2 * G_PI);
        cairo_set_source_rgba(context, 0, 0, 0, shadow.opacity * 2.0 / rings * (1 - grow / rings));
        cairo_fill(context);
    }
    if (!m_mark)
        return;
    cairo_save(context);
    cairo_translate(context, width / 2, height / 2);
    cairo_scale(context, m_scale, m_scale);
    cairo_translate(context, -width / 2, -height / 2);
    const double side = std::max(gdk_pixbuf_get_width(m_mark.get()), gdk_pixbuf_get_height(m_mark.get()));
    cairo_translate(context, x, y);
    cairo_scale(context, markSide / side, markSide / side);
    gdk_cairo_set_source_pixbuf(context, m_mark.get(), (side - gdk_pixbuf_get_width(m_mark.get())) / 2,
        (side - gdk_pixbuf_get_height(m_mark.get())) / 2);
    cairo_paint(context);
    cairo_restore(context);
}

}
