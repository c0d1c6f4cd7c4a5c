#include "permission-wizard/gtk/WizardStyle.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ikw::wizard::gtk {

namespace {

std::string rule(const std::string& selector, const std::string& body)
{
    return selector + " { " + body + " }\n";
}

int channel(double value)
{
    return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

}

std::string toneClass(Tone tone)
{
    switch (tone) {
    case Tone::Ink: return "ikw-ink";
    case Tone::Muted: return "ikw-muted";
    case Tone::AccentText: return "ikw-accent-text";
    case Tone::OnAccent: return "ikw-on-accent";
    }
    return "ikw-ink";
}

std::string sizeClass(double size)
{
    return "ikw-size-" + std::to_string(static_cast<int>(std::lround(size * 10)));
}

std::string weightClass(int weight)
{
    return "ikw-weight-" + std::to_string(weight);
}

std::string cssColor(const Color& color, double alpha)
{
    char text[64];
    std::snprintf(text, sizeof text, "rgba(%d,%d,%d,%.3f)", channel(color.red), channel(color.green), channel(color.blue),
        std::clamp(color.alpha * alpha, 0.0, 1.0));
    return text;
}

std::string wizardCss(const KDResolvedBrand& brand)
{
    std::string css;
    const std::string ground = brand.ground ? "background-color: " + cssColor(*brand.ground) + ";" : "";
    css += rule(".ikw-wizard", ground);
    css += rule(".ikw-wizard label", "font-family: sans-serif; font-size: 13px;");
    css += rule(".ikw-wizard #close-button", "background: none; border: none; box-shadow: none; color: " + cssColor(brand.inkMuted) + ";");
    css += rule(".ikw-wizard viewport, .ikw-wizard scrolledwindow", "background: none;");
    css += rule(".ikw-wizard button.ikw-plain, .ikw-wizard button.ikw-primary",
        "background: none; border: none; box-shadow: none; outline: none; padding: 0; min-height: 0; min-width: 0; -gtk-outline-radius: 0;");
    css += rule(".ikw-wizard separator", "background-color: " + cssColor(brand.inkMuted, 0.25) + "; min-height: 1px;");
    css += rule(".ikw-ink", "color: " + cssColor(brand.ink) + ";");
    css += rule(".ikw-muted", "color: " + cssColor(brand.inkMuted) + ";");
    css += rule(".ikw-accent-text", "color: " + cssColor(brand.accentText) + ";");
    css += rule(".ikw-on-accent", "color: " + cssColor(brand.onAccent) + ";");
    css += rule(".ikw-mono", "font-family: monospace;");
    for (int tenths = 90; tenths <= 300; tenths += 5)
        css += rule(".ikw-wizard ." + sizeClass(tenths / 10.0), "font-size: " + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "px;");
    for (const int weight : { 400, 500, 600 })
        css += rule("." + weightClass(weight), "font-weight: " + std::to_string(weight) + ";");
    return css;
}

}
