#include "permission-wizard/gtk/MarkDragSource.h"
#include "permission-wizard/gtk/ScreenViews.h"

namespace ikw::wizard::gtk {

namespace {

GtkWidget* dragSource(const DragGuide& guide, const WizardPaint& paint, const std::string& bundlePath)
{
    GtkWidget* stack = column(6);
    gtk_widget_set_valign(stack, GTK_ALIGN_CENTER);
    GtkWidget* mark = add(stack, MarkDragSource::create(loadMark(paint.brand.mark, MarkDragSource::markSide, paint.appIconPath), bundlePath));
    gtk_widget_set_tooltip_text(mark, guide.tooltip().c_str());
    add(stack, inlineLabel(guide.caption(), { .size = 10, .weight = 500, .tone = Tone::Muted }, 0.5));
    return stack;
}

GtkWidget* dropZone(const DragGuide& guide, const KDResolvedBrand& brand)
{
    // Only a picture of the target: no drop destination is set, so it accepts nothing.
    GtkWidget* zone = row(0);
    gtk_widget_set_name(zone, "drop-zone");
    gtk_widget_set_hexpand(zone, TRUE);
    gtk_widget_set_size_request(zone, -1, 62);
    gtk_widget_set_valign(zone, GTK_ALIGN_CENTER);
    paintShape(zone, { .fill = std::nullopt, .border = faded(brand.inkMuted, 0.45), .radius = 9, .dashed = true });
    GtkWidget* label = add(zone, textLabel(guide.dropZoneLabel(), { .size = 11, .tone = Tone::Muted }, 0.5));
    gtk_widget_set_valign(label, GTK_ALIGN_CENTER);
    return zone;
}

}

GtkWidget* dragGuideView(const DragGuide& guide, const WizardPaint& paint, const std::string& bundlePath)
{
    GtkWidget* stack = column(8);
    gtk_widget_set_name(stack, "drag-guide");
    GtkWidget* instructions = add(stack, column(2));
    add(instructions, textLabel(guide.instruction(), { .size = 12, .weight = 500, .tone = Tone::Ink }));
    add(instructions, textLabel(guide.hint(), { .size = 11, .tone = Tone::Muted }));

    GtkWidget* line = add(stack, row(14));
    add(line, dragSource(guide, paint, bundlePath));
    add(line, symbolWidget(Symbol::ArrowRight, 13, faded(paint.brand.accentText, 0.75)));
    add(line, dropZone(guide, paint.brand));
    return stack;
}

}
