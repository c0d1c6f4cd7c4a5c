#pragma once

#include "permission-wizard/HeroDiagram.h"
#include "permission-wizard/gtk/FrameThrottle.h"
#include "platform/core/GObjectRef.h"

#include <gtk/gtk.h>

namespace ikw::wizard::gtk {

// The widget a capability picture is shown in: a drawing area 132 pixels high and as wide as its
// container, the picture centred in it. It redraws from the widget's frame clock, at most 30
// times a second, at the time KDFlowClock gives. While the desktop turns animations off (GTK's
// "gtk-enable-animations", which stands for reduced motion) it does not tick and shows the
// picture at time 0.
class FlowCanvas {
public:
    static constexpr int height = 132;
    static constexpr int framesPerSecond = 30;

    // A new canvas drawing `diagram`, as a floating widget. The widget owns the canvas.
    static GtkWidget* create(HeroDiagram diagram);
    // The canvas of a widget made by create(); null for any other widget.
    static FlowCanvas* from(GtkWidget* widget);

    ~FlowCanvas();
    FlowCanvas(const FlowCanvas&) = delete;
    FlowCanvas& operator=(const FlowCanvas&) = delete;

    bool reducesMotion() const;
    // Whether a frame-clock tick callback is installed.
    bool isTicking() const { return m_tickCallback != 0; }

private:
    FlowCanvas(GtkWidget* area, HeroDiagram diagram);

    void followSettings();
    void stopFollowingSettings();
    void updateTicking();
    void tick(GdkFrameClock* clock);
    void draw(cairo_t* context) const;

    GtkWidget* m_area; // owns this canvas
    HeroDiagram m_diagram;
    GObjectRef<GtkSettings> m_settings;
    gulong m_animationsHandler = 0;
    guint m_tickCallback = 0;
    FrameThrottle m_throttle { framesPerSecond };
};

}
