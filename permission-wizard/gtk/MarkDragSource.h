#pragma once

#include "permission-wizard/gtk/WizardWidgets.h"
#include "platform/core/GObjectRef.h"

#include <gtk/gtk.h>

#include <string>

namespace ikw::wizard::gtk {

// The drag guide's mark: a 52-point picture the user can drag into the list in Settings. The drag
// offers the bundle folder as "text/uri-list". Under the pointer it grows to 1.06 over 0.18 s,
// easing out (unless the desktop turns animations off), and its shadow deepens at once.
class MarkDragSource {
public:
    static constexpr int markSide = 52;

    // A new drawing area, floating; the widget owns the source.
    static GtkWidget* create(GObjectRef<GdkPixbuf> mark, std::string bundlePath);
    // The source of a widget made by create(); null for any other widget.
    static MarkDragSource* from(GtkWidget* widget);

    ~MarkDragSource();
    MarkDragSource(const MarkDragSource&) = delete;
    MarkDragSource& operator=(const MarkDragSource&) = delete;

    void setHovering(bool hovering);
    bool hovering() const { return m_hovering; }
    // The scale drawn now, and the one it is moving to.
    double scale() const { return m_scale; }
    double targetScale() const { return m_to; }
    // What a drop receives: the bundle folder's file URI and a line end; empty when the path has
    // no URI.
    std::string uriList() const;

private:
    MarkDragSource(GtkWidget* area, GObjectRef<GdkPixbuf> mark, std::string bundlePath);

    bool reducesMotion() const;
    void tick(gint64 frameMicroseconds);
    void stopTicking();
    void draw(cairo_t* context) const;

    GtkWidget* m_area; // owns this source
    GObjectRef<GdkPixbuf> m_mark;
    std::string m_bundlePath;
    bool m_hovering = false;
    double m_scale = 1;
    double m_from = 1;
    double m_to = 1;
    gint64 m_startMicroseconds = -1;
    guint m_tickCallback = 0;
};

}
