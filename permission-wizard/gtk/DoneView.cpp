#include "permission-wizard/WizardTexts.h"
#include "permission-wizard/gtk/ScreenViews.h"

namespace ikw::wizard::gtk {

GtkWidget* doneView(const DoneScreen& screen, const WizardPaint& paint)
{
    GtkWidget* stack = column(16);
    add(stack, flexibleSpace());
    GtkWidget* mark = add(stack, markWidget(paint.brand.mark, 44, paint.appIconPath));
    gtk_widget_set_halign(mark, GTK_ALIGN_CENTER);
    add(stack, textLabel(screen.title(), { .size = 24, .weight = 600, .tone = Tone::Ink }, 0.5));
    add(stack, pad(textLabel(screen.message(), { .size = 13.5, .tone = Tone::Muted }, 0.5), 0, 40, 0, 40));
    GtkWidget* done = add(stack, pad(primaryButton(std::string(kDoneLabel), 26, paint.brand, screen.close), 4, 0, 0, 0));
    gtk_widget_set_halign(done, GTK_ALIGN_CENTER);
    gtk_widget_set_name(done, "done-button");
    add(stack, pad(textLabel(screen.footnote(), { .size = 11, .tone = Tone::Muted }, 0.5), 0, 40, 0, 40));
    add(stack, flexibleSpace());
    return stack;
}

}
