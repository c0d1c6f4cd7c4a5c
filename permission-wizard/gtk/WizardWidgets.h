#pragma once

#include "permission-wizard/KDWizardBrand.h"
#include "permission-wizard/gtk/WizardStyle.h"
#include "platform/core/GObjectRef.h"

#include <gtk/gtk.h>

#include <functional>
#include <optional>
#include <string>

namespace ikw::wizard::gtk {

// What every screen is drawn with: the brand for the window's appearance, and where the running
// application's icon file lies when the windows have no default icon.
struct WizardPaint {
    KDResolvedBrand brand;
    bool dark = false;
    std::string appIconPath;
};

// A text that wraps onto as many lines as it needs and never ellipsizes. `xalign` 0 is leading,
// 0.5 centres every line.
GtkWidget* textLabel(const std::string& text, const TextStyle& style, double xalign = 0);

// A short text that sits in a line with others: as wide as its text (up to about 50 characters),
// wrapping below that, never ellipsized.
GtkWidget* inlineLabel(const std::string& text, const TextStyle& style, double xalign = 0);

GtkWidget* column(int spacing);
GtkWidget* row(int spacing);
// Adds `child` at the end of `box`.
GtkWidget* add(GtkWidget* box, GtkWidget* child);
// Space around a widget, in points.
GtkWidget* pad(GtkWidget* widget, int top, int right, int bottom, int left);
// A flexible space taking the spare height of a column, at least `minimum` high.
GtkWidget* flexibleSpace(int minimum = 0);
// A flexible space taking the spare width of a row.
GtkWidget* horizontalSpace();

// A rounded rectangle painted under a widget's children: filled, and optionally bordered inside
// it by a 1-point line (stroked inset by half its width), solid or dashed 4 on 4 off. A radius
// of -1 draws a capsule.
struct Shape {
    std::optional<Color> fill;
    std::optional<Color> border;
    double radius = 8;
    bool dashed = false;
};
void paintShape(GtkWidget* widget, Shape shape);
// `color` with its alpha multiplied by `opacity`.
Color faded(const Color& color, double opacity);

// A bezel-less text button.
GtkWidget* plainButton(const std::string& label, const TextStyle& style, std::function<void()> action);
// `onAccent` text in 13.5 semibold on an `accent` rectangle of radius 8.
GtkWidget* primaryButton(const std::string& label, int horizontalPadding, const KDResolvedBrand& brand,
    std::function<void()> action);

// A small picture the freedesktop icon set has no fitting icon for, drawn with cairo.
enum class Symbol { CheckCircle, Circle, Dot, RaisedHand, ArrowRight, AddEntry };
GtkWidget* symbolWidget(Symbol symbol, double size, const Color& color);

// The brand's mark (a picture file or the application's icon) at `height` points, its width
// following the picture's proportions; an empty image at that height when nothing is found.
GtkWidget* markWidget(const WizardImage& image, double height, const std::string& appIconPath);
// The mark's pixels at `height` (empty when there is no picture).
GObjectRef<GdkPixbuf> loadMark(const WizardImage& image, double height, const std::string& appIconPath);

}
