#include "permission-wizard/WizardTexts.h"
#include "permission-wizard/gtk/ScreenViews.h"

namespace ikw::wizard::gtk {

namespace {

GtkWidget* summaryHeader(const SummaryScreen& screen, const WizardPaint& paint)
{
    GtkWidget* header = pad(column(14), 34, 28, 22, 28);
    add(header, markWidget(paint.brand.mark, 40, paint.appIconPath));
    add(header, textLabel(screen.title(), { .size = 26, .weight = 600, .tone = Tone::Ink }));
    add(header, textLabel(screen.subtitle(), { .size = 14, .tone = Tone::Muted }));
    return header;
}

GtkWidget* summaryRow(const SummaryRow& item, const KDResolvedBrand& brand)
{
    GtkWidget* card = row(0);
    paintShape(card, { .fill = faded(brand.inkMuted, 0.06), .border = std::nullopt, .radius = 10 });
    GtkWidget* line = add(card, pad(row(12), 14, 14, 14, 14));
    gtk_widget_set_hexpand(line, TRUE);
    GtkWidget* status = add(line, item.granted ? symbolWidget(Symbol::CheckCircle, 15, brand.accentText)
                                               : symbolWidget(Symbol::Circle, 15, faded(brand.inkMuted, 0.5)));
    gtk_widget_set_valign(status, GTK_ALIGN_START);
    gtk_widget_set_margin_top(status, 1);
    gtk_widget_set_name(status, item.granted ? "granted-mark" : "open-mark");

    GtkWidget* texts = add(line, column(3));
    gtk_widget_set_hexpand(texts, TRUE);
    GtkWidget* titleLine = add(texts, row(6));
    add(titleLine, inlineLabel(item.title, { .size = 14, .weight = 500, .tone = Tone::Ink }));
    if (item.isOptional)
        add(titleLine, optionalTag(brand, 10, 6));
    add(texts, textLabel(item.benefit, { .size = 12.5, .tone = Tone::Muted }));
    return card;
}

}

GtkWidget* optionalTag(const KDResolvedBrand& brand, double size, int horizontalPadding)
{
    GtkWidget* capsule = row(0);
    paintShape(capsule, { .fill = faded(brand.inkMuted, 0.14), .border = std::nullopt, .radius = -1 });
    add(capsule, pad(inlineLabel(std::string(kOptionalTag), { .size = size, .weight = 500, .tone = Tone::Muted }),
        2, horizontalPadding, 2, horizontalPadding));
    gtk_widget_set_valign(capsule, GTK_ALIGN_CENTER);
    gtk_widget_set_name(capsule, "optional-tag");
    return capsule;
}

GtkWidget* summaryView(const SummaryScreen& screen, const WizardPaint& paint)
{
    GtkWidget* stack = column(0);
    add(stack, summaryHeader(screen, paint));
    GtkWidget* list = add(stack, pad(column(10), 0, 28, 0, 28));
    for (const auto& item : screen.rows())
        add(list, summaryRow(item, paint.brand));
    add(stack, flexibleSpace(18));

    GtkWidget* start = add(stack, pad(primaryButton(std::string(kGetStartedLabel), 22, paint.brand, screen.start), 0, 0, 20, 0));
    gtk_widget_set_halign(start, GTK_ALIGN_CENTER);
    gtk_widget_set_name(start, "get-started");
    add(stack, pad(textLabel(screen.note(), { .size = 11, .tone = Tone::Muted }, 0.5), 0, 0, 12, 0));
    return stack;
}

}
