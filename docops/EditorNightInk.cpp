#include "docops/EditorNightInk.h"

#include "platform/core/Utf8CodePoints.h"

#include "app/Globals.h"
#include "docops/EditorMode.h"
#include "platform/core/TaskQueue.h"
#include "review/ReviewWC.h"

#include <algorithm>
#include <cmath>

namespace ikw::docops {
namespace {

constexpr double kLightEnough = 0.45;
constexpr double kNeutral = 0.12;
constexpr double kSaturationFactor = 0.55;
constexpr double kSaturationFloor = 0.22;
constexpr double kNightBrightness = 0.92;
constexpr double kWholeTextDelay = 0.4;

const ui::Color kNightInk { kEdNightInk.red, kEdNightInk.green, kEdNightInk.blue, kEdNightInk.alpha };

double linear(double component)
{
    return component <= 0.03928 ? component / 12.92 : std::pow((component + 0.055) / 1.055, 2.4);
}

struct Hsb {
    double hue = 0; // 0 to 1
    double saturation = 0;
    double brightness = 0;
};

Hsb toHsb(const ui::Color& color)
{
    const double high = std::max({ color.red, color.green, color.blue });
    const double low = std::min({ color.red, color.green, color.blue });
    const double spread = high - low;
    Hsb hsb { 0, high > 0 ? spread / high : 0, high };
    if (spread <= 0)
        return hsb;
    double hue = 0;
    if (high == color.red)
        hue = std::fmod((color.green - color.blue) / spread, 6.0);
    else if (high == color.green)
        hue = (color.blue - color.red) / spread + 2;
    else
        hue = (color.red - color.green) / spread + 4;
    hsb.hue = std::fmod(hue / 6.0 + 1.0, 1.0);
    return hsb;
}

ui::Color fromHsb(const Hsb& hsb, double alpha)
{
    const double sector = hsb.hue * 6.0;
    const int index = static_cast<int>(std::floor(sector)) % 6;
    const double fraction = sector - std::floor(sector);
    const double v = hsb.brightness;
    const double p = v * (1 - hsb.saturation);
    const double q = v * (1 - hsb.saturation * fraction);
    const double t = v * (1 - hsb.saturation * (1 - fraction));
    switch (index) {
    case 0: return { v, t, p, alpha };
    case 1: return { q, v, p, alpha };
    case 2: return { p, v, t, alpha };
    case 3: return { p, q, v, alpha };
    case 4: return { t, p, v, alpha };
    default: return { v, p, q, alpha };
    }
}

// The paragraphs (from the start of the first to the end of the last) around a range.
ui::CharRange paragraphRange(const std::u32string& text, ui::CharRange range)
{
    const int length = static_cast<int>(text.size());
    int start = std::clamp(range.start, 0, length);
    int end = std::clamp(range.end, start, length);
    while (start > 0 && text[start - 1] != U'\n')
        --start;
    while (end < length && text[end] != U'\n')
        ++end;
    return { start, end };
}

}

double ikwRelLuminance(const ui::Color& color)
{
    return 0.2126 * linear(color.red) + 0.7152 * linear(color.green) + 0.0722 * linear(color.blue);
}

double ikwContrast(const ui::Color& first, const ui::Color& second)
{
    const double a = ikwRelLuminance(first);
    const double b = ikwRelLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

std::optional<ui::Color> edNightInk(const ui::Color& ink)
{
    if (ikwRelLuminance(ink) >= kLightEnough)
        return std::nullopt;
    Hsb hsb = toHsb(ink);
    if (hsb.saturation < kNeutral)
        return kNightInk;
    hsb.saturation = std::max(hsb.saturation * kSaturationFactor, kSaturationFloor);
    hsb.brightness = kNightBrightness;
    return fromHsb(hsb, ink.alpha);
}

void applyEditorNightInk(ui::PageEditor& editor, std::optional<ui::CharRange> range)
{
    const int length = editor.length();
    if (length < 1)
        return;
    ui::CharRange span = range.value_or(ui::CharRange { 0, length });
    span.start = std::clamp(span.start, 0, length);
    span.end = std::clamp(span.end, 0, length);
    if (span.empty())
        return;
    // Runs whose colour changed are judged afresh.
    editor.clearDisplayColors(span);
    // Text without a colour of its own is drawn in the night paper's ink already.
    const ui::Color base = kNightInk;
    for (const auto& run : editor.spans(span)) {
        if (run.style.background)
            continue; // highlighted text keeps its colours
        if (const auto night = edNightInk(run.style.foreground.value_or(base)))
            editor.setDisplayForeground(run.range, *night);
    }
}

void refreshEditorNightInk(ReviewWC& window)
{
    const auto editor = window.editor.editorHost;
    if (!editor || !editorPaperIsDark(window))
        return;
    const ui::CharRange around = paragraphRange(utf8CodePoints(editor->plainText()), editor->selection());
    applyEditorNightInk(*editor, around);
    const std::int64_t generation = ++window.editor.editorInkPassPending;
    mainQueue().postAfter(kWholeTextDelay, [weak = window.weak_from_this(), generation] {
        const auto controller = weak.lock();
        if (!controller || controller->editor.editorInkPassPending != generation || !controller->editor.editorHost)
            return;
        applyEditorNightInk(*controller->editor.editorHost, std::nullopt);
    });
}

}
