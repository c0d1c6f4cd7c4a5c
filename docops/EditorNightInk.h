#pragma once

#include "platform/ui/PageEditor.h"

#include <optional>

namespace ikw {
class ReviewWC;
}

namespace ikw::docops {

// WCAG 2 relative luminance of an sRGB colour (0 to 1), and the contrast ratio of two colours.
double ikwRelLuminance(const ui::Color& color);
double ikwContrast(const ui::Color& first, const ui::Color& second);

// The colour to show an ink in on the night paper; none: shown as it is. Dark neutral inks take
// the fixed night ink, dark coloured ones a paler, bright version of their hue.
std::optional<ui::Color> edNightInk(const ui::Color& ink);

// Sets the night display colours over a range of the editor's text (none: the whole text).
// Highlighted text keeps its own colours. Display colours never become part of the text.
void applyEditorNightInk(ui::PageEditor& editor, std::optional<ui::CharRange> range);

// After an edit on the night paper: the edited paragraphs at once, the whole text 0.4 s after the
// last edit.
void refreshEditorNightInk(ReviewWC& window);

}
