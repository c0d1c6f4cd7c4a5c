#include "permission-wizard/gtk/FlowCanvas.h"

#include "permission-wizard/art/KDFlowClock.h"

#include <chrono>
#include <memory>
#include <utility>

namespace ikw::wizard::gtk {

namespace {

constexpr const char* canvasKey = "ikw-flow-canvas";

void deleteCanvas(gpointer canvas)
{
    std::unique_ptr<FlowCanvas> owned(static_cast<FlowCanvas*>(canvas));
}

}

GtkWidget* FlowCanvas::create(HeroDiagram diagram)
{
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_size_request(area, -1, height);
    gtk_widget_set_hexpand(area, TRUE);
    gtk_widget_set_halign(area, GTK_ALIGN_FILL);
    std::unique_ptr<FlowCanvas> canvas(new FlowCanvas(area, std::move(diagram)));
    g_object_set_data_full(G_OBJECT(area), canvasKey, canvas.release(), deleteCanvas);
    return area;
}

FlowCanvas* FlowCanvas::from(GtkWidget* widget)
{
    return widget ? static_cast<FlowCanvas*>(g_object_get_data(G_OBJECT(widget), canvasKey)) : nullptr;
}

FlowCanvas::FlowCanvas(GtkWidget* area, HeroDiagram diagram)
    : m_area(area)
    , m_diagram(std::move(diagram))
{
    g_signal_connect(area, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* context, gpointer self) -> gboolean {
        static_cast<FlowCanvas*>(self)->draw(context);
        return TRUE;
    }), this);
    g_signal_connect(area, "screen-changed", G_CALLBACK(+[](GtkWidget*, GdkScreen*, gpointer self) {
        static_cast<FlowCanvas*>(self)->followSettings();
    }), this);
    g_signal_connect(area, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer self) {
        static_cast<FlowCanvas*>(self)->stopFollowingSettings();
    }), this);
    followSettings();
}

FlowCanvas::~FlowCanvas()
{
    stopFollowingSettings();
}

// Once the area is destroyed nothing may tick or install a tick callback again; the settings
// outlive it.
void FlowCanvas::stopFollowingSettings()
{
    if (m_settings && m_animationsHandler)
        g_signal_handler_disconnect(m_settings.get(), std::exchange(m_animationsHandler, 0));
    m_settings.reset();
    if (m_tickCallback)
        gtk_widget_remove_tick_callback(m_area, std::exchange(m_tickCallback, 0));
}

// Listens to the settings of the screen the area is on (they change when it moves to another).
void FlowCanvas::followSettings()
{
    auto settings = GObjectRef<GtkSettings>::retain(gtk_widget_get_settings(m_area));
    if (settings.get() != m_settings.get()) {
        stopFollowingSettings();
        m_settings = std::move(settings);
        m_animationsHandler = g_signal_connect(m_settings.get(), "notify::gtk-enable-animations",
            G_CALLBACK(+[](GObject*, GParamSpec*, gpointer self) { static_cast<FlowCanvas*>(self)->updateTicking(); }),
            this);
    }
    updateTicking();
}

bool FlowCanvas::reducesMotion() const
{
    gboolean animations = TRUE;
    if (m_settings)
        g_object_get(m_settings.get(), "gtk-enable-animations", &animations, nullptr);
    return !animations;
}

void FlowCanvas::updateTicking()
{
    const bool shouldTick = !reducesMotion();
    if (shouldTick && !m_tickCallback) {
        m_throttle = FrameThrottle(framesPerSecond);
        m_tickCallback = gtk_widget_add_tick_callback(m_area,
            +[](GtkWidget*, GdkFrameClock* clock, gpointer self) -> gboolean {
                static_cast<FlowCanvas*>(self)->tick(clock);
                return G_SOURCE_CONTINUE;
            },
            this, nullptr);
    } else if (!shouldTick && m_tickCallback) {
        gtk_widget_remove_tick_callback(m_area, std::exchange(m_tickCallback, 0));
    }
    gtk_widget_queue_draw(m_area); // the picture jumps to its new time at once
}

void FlowCanvas::tick(GdkFrameClock* clock)
{
    if (m_throttle.admits(gdk_frame_clock_get_frame_time(clock)))
        gtk_widget_queue_draw(m_area);
}

void FlowCanvas::draw(cairo_t* context) const
{
    if (!m_diagram.draw)
        return;
    const double width = gtk_widget_get_allocated_width(m_area);
    const double areaHeight = gtk_widget_get_allocated_height(m_area);
    const double t = KDFlowClock::frameTime(reducesMotion(), std::chrono::system_clock::now());
    cairo_save(context);
    cairo_translate(context, 0, (areaHeight - height) / 2);
    m_diagram.draw(context, width, height, t);
    cairo_restore(context);
}

}
