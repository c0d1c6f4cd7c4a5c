#pragma once

#include "app/Globals.h"

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <string_view>

// Small building blocks of the feedback window: signal hook-up, style classes, the style sheet and
// the symbols the icon theme has no fitting icon for.
namespace ikw::services::gtk {

// Runs `action` on each emission of a signal whose handler takes only the instance ("clicked",
// "changed"). The action lives as long as the instance.
void connectAction(gpointer instance, const char* signal, std::function<void()> action);

void addClass(GtkWidget* widget, const char* name);
void setClass(GtkWidget* widget, const char* name, bool on);
GtkWidget* label(const std::string& text, const char* styleClass = nullptr, float xalign = 0);
GtkWidget* box(GtkOrientation orientation, int spacing);
GtkWidget* pad(GtkWidget* widget, int top, int right, int bottom, int left);

// "**bold**" runs of a text as Pango markup; everything else escaped.
std::string boldMarkup(std::string_view markdown);

// The window's style sheet: the accent from the feedback configuration, grounds and text colours
// from the desktop theme. Its rules only select inside ".ikw-feedback".
std::string feedbackCss(const SrgbColor& accent);

// Symbols drawn with cairo, in the style of the desktop's symbolic icons.
enum class FeedbackSymbol { idea, bug, praise, dollar };
// A `side` × `side` drawing of `symbol` in `color`.
GtkWidget* symbolWidget(FeedbackSymbol symbol, int side, SrgbColor color);
// The kind card's badge: a 40 × 40 circle (the accent, or the accent at 0.12) with the kind's
// symbol over it. `setBadgeSelected` switches it.
GtkWidget* kindBadge(FeedbackSymbol symbol, const SrgbColor& accent);
void setBadgeSelected(GtkWidget* badge, bool selected);

// The thank-you seal: a 96 × 96 circle of the accent at 0.12 with a check-mark seal in the accent.
// It starts at scale 0.4 and transparent; `enterSeal` springs it to full size (at once while the
// desktop's animations are off).
GtkWidget* sealWidget(const SrgbColor& accent);
void enterSeal(GtkWidget* seal);
// Where the seal is: its scale and opacity now.
struct SealPose {
    double scale = 0.4;
    double opacity = 0;
};
SealPose sealPose(GtkWidget* seal);
// The entrance `seconds` after it began: a spring of 0.45 s response with damping 0.6.
SealPose sealEntrance(double seconds);

// An image of `bytes` cropped to fill a 40 × 40 square with rounded corners; empty when they do not
// decode.
GtkWidget* thumbnailWidget(const std::string& bytes);

}
