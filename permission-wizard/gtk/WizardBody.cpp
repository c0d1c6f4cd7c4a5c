#include "permission-wizard/WizardTexts.h"
#include "permission-wizard/gtk/ScreenViews.h"

namespace ikw::wizard::gtk {

namespace {

GtkWidget* content(KDPermissionWizardView& view, const WizardPaint& paint, ui::Workspace& workspace)
{
    switch (view.screen()) {
    case KDPermissionWizardView::Screen::Summary:
        return summaryView(view.summaryScreen(), paint);
    case KDPermissionWizardView::Screen::Done:
        return doneView(view.doneScreen(), paint);
    case KDPermissionWizardView::Screen::Permission:
        break;
    }
    return permissionView(*view.permissionScreen(), paint, workspace);
}

GtkWidget* footer(KDPermissionWizardView& view)
{
    GtkWidget* line = pad(row(12), 14, 28, 14, 28);
    const TextStyle style { .size = 12, .tone = Tone::Muted };
    const std::weak_ptr<KDPermissionWizardView> weak = view.weak_from_this();
    if (view.showsBack()) {
        gtk_widget_set_name(add(line, plainButton(std::string(kBackLabel), style, [weak] {
            if (const auto shown = weak.lock())
                shown->back();
        })), "back-button");
    }
    add(line, horizontalSpace());
    if (view.showsNotNow()) {
        gtk_widget_set_name(add(line, plainButton(std::string(kNotNowLabel), style, [weak] {
            if (const auto shown = weak.lock())
                shown->notNow();
        })), "not-now-button");
    }
    return line;
}

}

GtkWidget* wizardBody(KDPermissionWizardView& view, const WizardPaint& paint, ui::Workspace& workspace)
{
    GtkWidget* stack = column(0);
    gtk_widget_set_size_request(stack, 620, 560);
    GtkWidget* screen = add(stack, content(view, paint, workspace));
    gtk_widget_set_vexpand(screen, TRUE);
    GtkWidget* divider = add(stack, gtk_separator_new(GTK_ORIENTATION_HORIZONTAL));
    gtk_widget_set_opacity(divider, 0.5);
    add(stack, footer(view));
    return stack;
}

}
