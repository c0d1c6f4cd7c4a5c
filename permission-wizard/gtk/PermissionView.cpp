#include "permission-wizard/WizardTexts.h"
#include "permission-wizard/gtk/FlowCanvas.h"
#include "permission-wizard/gtk/ScreenViews.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace ikw::wizard::gtk {

namespace {

GtkWidget* heroStrip(const PermissionScreen& screen, bool dark)
{
    GtkWidget* canvas = FlowCanvas::create(screen.permission.hero(dark));
    return pad(canvas, 24, 28, 18, 28);
}

GtkWidget* header(const PermissionScreen& screen, const WizardPaint& paint)
{
    const auto& brand = paint.brand;
    GtkWidget* stack = pad(column(12), 0, 0, 18, 0);
    GtkWidget* counterLine = add(stack, row(6));
    add(counterLine, inlineLabel(screen.stepCounter(), { .size = 11, .weight = 500, .tone = Tone::Muted }));
    add(counterLine, horizontalSpace());
    if (screen.visibility().grantedBadge) {
        GtkWidget* badge = add(counterLine, row(5));
        gtk_widget_set_name(badge, "granted-badge");
        add(badge, symbolWidget(Symbol::CheckCircle, 11.5, brand.accentText));
        add(badge, inlineLabel(std::string(kGrantedBadge), { .size = 11.5, .weight = 600, .tone = Tone::AccentText }));
    }

    GtkWidget* titleLine = add(stack, row(10));
    add(titleLine, markWidget(brand.mark, 26, paint.appIconPath));
    GtkWidget* title = add(titleLine, inlineLabel(screen.permission.title, { .size = 23, .weight = 600, .tone = Tone::Ink }));
    gtk_widget_set_valign(title, GTK_ALIGN_CENTER);
    if (screen.permission.isOptional)
        add(titleLine, optionalTag(brand, 10.5, 7));

    add(stack, textLabel(screen.permission.benefit, { .size = 14, .tone = Tone::Muted }));
    return stack;
}

GtkWidget* bullets(const PermissionScreen& screen, const KDResolvedBrand& brand)
{
    GtkWidget* stack = pad(column(9), 0, 0, 18, 0);
    for (const auto& text : screen.permission.bullets) {
        GtkWidget* line = add(stack, row(9));
        GtkWidget* dot = add(line, pad(symbolWidget(Symbol::Dot, 5, brand.accentText), 6, 0, 0, 0));
        gtk_widget_set_valign(dot, GTK_ALIGN_START);
        add(line, textLabel(text, { .size = 13, .tone = Tone::Ink }));
    }
    return stack;
}

GtkWidget* boundaryCallout(const PermissionScreen& screen, const KDResolvedBrand& brand)
{
    GtkWidget* callout = pad(row(0), 0, 0, 18, 0);
    gtk_widget_set_name(callout, "boundary-callout");
    paintShape(callout, { .fill = faded(brand.accent, 0.06), .border = faded(brand.accentText, 0.55), .radius = 9 });
    GtkWidget* line = add(callout, pad(row(10), 13, 13, 13, 13));
    gtk_widget_set_hexpand(line, TRUE);
    GtkWidget* hand = add(line, pad(symbolWidget(Symbol::RaisedHand, 13, brand.accentText), 1, 0, 0, 0));
    gtk_widget_set_valign(hand, GTK_ALIGN_START);
    add(line, textLabel(screen.permission.boundary, { .size = 12.5, .tone = Tone::Ink }));
    return callout;
}

// The system dialog's picture: fitted into the column width and 190 points, clipped to a rounded
// rectangle and bordered inside it.
struct DialogPicture {
    GObjectRef<GdkPixbuf> pixels;
    Color border;
};

GtkWidget* dialogPicture(const WizardImage& image, const KDResolvedBrand& brand)
{
    auto pixels = GObjectRef<GdkPixbuf>::adopt(gdk_pixbuf_new_from_file(image.path.c_str(), nullptr));
    if (!pixels)
        return nullptr;
    const double width = gdk_pixbuf_get_width(pixels.get());
    const double height = gdk_pixbuf_get_height(pixels.get());
    const double fit = std::min(kColumnWidth / width, 190 / height);
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_name(area, "dialog-picture");
    gtk_widget_set_size_request(area, std::max(1, static_cast<int>(std::lround(width * fit))),
        std::max(1, static_cast<int>(std::lround(height * fit))));
    gtk_widget_set_halign(area, GTK_ALIGN_START);
    auto picture = std::make_unique<DialogPicture>(DialogPicture { std::move(pixels), faded(brand.inkMuted, 0.2) });
    g_signal_connect_data(area, "draw", G_CALLBACK(+[](GtkWidget* widget, cairo_t* context, gpointer data) -> gboolean {
        const auto& picture = *static_cast<DialogPicture*>(data);
        const double w = gtk_widget_get_allocated_width(widget);
        const double h = gtk_widget_get_allocated_height(widget);
        const double r = 8;
        auto outline = [&](double inset, double radius) {
            cairo_new_sub_path(context);
            cairo_arc(context, w - inset - radius, inset + radius, radius, -G_PI / 2, 0);
            cairo_arc(context, w - inset - radius, h - inset - radius, radius, 0, G_PI / 2);
            cairo_arc(context, inset + radius, h - inset - radius, radius, G_PI / 2, G_PI);
            cairo_arc(context, inset + radius, inset + radius, radius, G_PI, 3 * G_PI / 2);
            cairo_close_path(context);
        };
        cairo_save(context);
        outline(0, r);
        cairo_clip(context);
        cairo_scale(context, w / gdk_pixbuf_get_width(picture.pixels.get()), h / gdk_pixbuf_get_height(picture.pixels.get()));
        gdk_cairo_set_source_pixbuf(context, picture.pixels.get(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(context), CAIRO_FILTER_GOOD);
        cairo_paint(context);
        cairo_restore(context);
        outline(0.5, r - 0.5);
        cairo_set_source_rgba(context, picture.border.red, picture.border.green, picture.border.blue, picture.border.alpha);
        cairo_set_line_width(context, 1);
        cairo_stroke(context);
        return TRUE;
    }), picture.release(), +[](gpointer data, GClosure*) { std::unique_ptr<DialogPicture> owned(static_cast<DialogPicture*>(data)); },
        GConnectFlags(0));
    return area;
}

GtkWidget* rowsToTick(const PermissionScreen& screen, const KDResolvedBrand& brand)
{
    GtkWidget* stack = pad(column(4), 2, 0, 0, 0);
    add(stack, textLabel(*screen.rowsHeading(), { .size = 12, .weight = 500, .tone = Tone::Ink }));
    for (const auto& entry : screen.permission.rowsToTick) {
        GtkWidget* line = add(stack, row(7));
        add(line, symbolWidget(Symbol::AddEntry, 11, brand.inkMuted));
        add(line, textLabel(entry, { .size = 12, .tone = Tone::Ink, .monospace = true }));
    }
    return stack;
}

GtkWidget* guidance(const PermissionScreen& screen, const WizardPaint& paint)
{
    GtkWidget* stack = pad(column(10), 0, 0, 16, 0);
    gtk_widget_set_name(stack, "guidance");
    const auto picture = screen.guidancePicture(paint.dark);
    GtkWidget* dialog = picture.dialogImage ? dialogPicture(*picture.dialogImage, paint.brand) : nullptr;
    if (dialog)
        add(stack, dialog);
    else if (picture.dragGuide || (picture.dialogImage && screen.permission.requiresManualDrag))
        add(stack, dragGuideView(DragGuide { screen.product.name }, paint, screen.bundlePath));
    if (screen.rowsHeading())
        add(stack, rowsToTick(screen, paint.brand));
    return stack;
}

GtkWidget* continuePlaceholder(const PermissionScreen& screen, const KDResolvedBrand& brand)
{
    GtkWidget* box = row(0);
    gtk_widget_set_name(box, "continue-placeholder");
    gtk_widget_set_valign(box, GTK_ALIGN_CENTER);
    paintShape(box, { .fill = faded(brand.inkMuted, 0.12), .border = faded(brand.inkMuted, 0.35), .radius = 8 });
    add(box, pad(inlineLabel(std::string(kContinueLabel), { .size = 13.5, .weight = 600, .tone = Tone::Muted }), 8, 16, 8, 16));
    atk_object_set_name(gtk_widget_get_accessible(box), screen.placeholderAccessibilityLabel().c_str());
    return box;
}

GtkWidget* actionBar(const PermissionScreen& screen, const KDResolvedBrand& brand, ui::Workspace& workspace)
{
    const auto shows = screen.visibility();
    GtkWidget* bar = pad(column(10), 12, 28, 18, 28);
    GtkWidget* buttons = add(bar, row(10));
    GtkWidget* grant = add(buttons, primaryButton(screen.grantLabel(), 20, brand, [screen, &workspace] { screen.primaryAction(workspace); }));
    gtk_widget_set_name(grant, "grant-button");
    if (shows.settingsLink) {
        GtkWidget* link = add(buttons, plainButton(std::string(kOpenInSettingsLabel), { .size = 12.5, .tone = Tone::AccentText },
            [screen, &workspace] { screen.openSettings(workspace); }));
        gtk_widget_set_name(link, "settings-link");
    }
    if (shows.continuePlaceholder)
        add(buttons, continuePlaceholder(screen, brand));
    add(buttons, horizontalSpace());
    GtkWidget* skip = add(buttons, plainButton(screen.skipLabel(), { .size = 12.5, .tone = Tone::Muted }, screen.onSkip));
    gtk_widget_set_name(skip, "skip-button");

    if (shows.costOfSkipping && screen.permission.costOfSkipping)
        gtk_widget_set_name(add(bar, textLabel(*screen.permission.costOfSkipping, { .size = 11.5, .tone = Tone::Muted })), "cost-of-skipping");
    if (shows.waitingNote)
        gtk_widget_set_name(add(bar, textLabel(screen.waitingNote(), { .size = 11.5, .tone = Tone::Muted })), "waiting-note");
    return bar;
}

}

GtkWidget* permissionView(const PermissionScreen& screen, const WizardPaint& paint, ui::Workspace& workspace)
{
    GtkWidget* stack = column(0);
    if (screen.permission.hero)
        add(stack, heroStrip(screen, paint.dark));

    GtkWidget* scroller = add(stack, gtk_scrolled_window_new(nullptr, nullptr));
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(scroller), FALSE);
    gtk_widget_set_vexpand(scroller, TRUE);
    GtkWidget* content = pad(column(0), 4, 28, 0, 28);
    gtk_widget_set_valign(content, GTK_ALIGN_START);
    add(content, header(screen, paint));
    add(content, bullets(screen, paint.brand));
    add(content, boundaryCallout(screen, paint.brand));
    if (screen.visibility().guidance)
        add(content, guidance(screen, paint));
    gtk_container_add(GTK_CONTAINER(scroller), content);
    gtk_viewport_set_shadow_type(GTK_VIEWPORT(gtk_bin_get_child(GTK_BIN(scroller))), GTK_SHADOW_NONE);

    add(stack, actionBar(screen, paint.brand, workspace));
    return stack;
}

}
