#pragma once

#include "docops/richtext/RichText.h"

#include <optional>
#include <string>
#include <string_view>

namespace ikw {
class XmlAttributes;
}

namespace ikw::richtext {

// The typefaces a Word package's theme names for its major (headings) and minor (body) fonts.
struct ThemeFonts {
    std::string major;
    std::string minor;
};

// Run properties as one level of a Word document states them (the defaults, a style, a run):
// what is not set is inherited from the level below.
struct RunFormatting {
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underline;
    std::optional<std::string> fontFamily;
    std::optional<double> pointSize;
    std::optional<std::optional<Color>> foreground; // set to none: the automatic colour
    std::optional<std::optional<Color>> highlight;  // w:highlight, drawn over the shading
    std::optional<std::optional<Color>> shading;    // w:shd

    // The properties `over` sets replace these.
    void overlay(const RunFormatting& over);
    void clear();
    RunAttributes attributes() const;
};

// Reads one child of a w:rPr element (w:b, w:i, w:u, w:color, w:sz, w:highlight, w:shd,
// w:rFonts) into `formatting`; other elements change nothing.
void readRunProperty(std::string_view element, const XmlAttributes& attributes, const ThemeFonts& theme, RunFormatting& formatting);

// The alignment a w:jc value stands for; none for a value it does not know.
std::optional<Alignment> alignmentOfJustification(std::string_view value);

}
