#pragma once

// Helpers for the codec tests: short builders of documents and a printer that shows a document
// in a failed comparison.

#include "docops/richtext/RichText.h"

#include <initializer_list>
#include <ostream>
#include <string>

namespace ikw::richtext {

inline void PrintTo(const Document& document, std::ostream* out)
{
    const auto color = [](const std::optional<Color>& value) {
        return value ? std::to_string(value->red) + "," + std::to_string(value->green) + "," + std::to_string(value->blue) + "," + std::to_string(value->alpha) : std::string("-");
    };
    for (const Paragraph& paragraph : document.paragraphs) {
        *out << "\n  [align " << static_cast<int>(paragraph.alignment) << ", end " << static_cast<int>(paragraph.lineEnd) << "]";
        for (const TextRun& run : paragraph.runs) {
            const RunAttributes& a = run.attributes;
            *out << " \"" << run.text << "\"{" << (a.bold ? "b" : "") << (a.italic ? "i" : "") << (a.underline ? "u" : "")
                 << " font=" << a.fontFamily << " size=" << (a.pointSize ? std::to_string(*a.pointSize) : "-")
                 << " fg=" << color(a.foreground) << " bg=" << color(a.background) << "}";
        }
    }
}

namespace testing {

inline TextRun run(std::string text, RunAttributes attributes = {})
{
    return TextRun { std::move(text), std::move(attributes) };
}

inline Paragraph paragraph(std::initializer_list<TextRun> runs, Alignment alignment = Alignment::Left)
{
    Paragraph paragraph;
    paragraph.alignment = alignment;
    for (const TextRun& each : runs)
        paragraph.append(each.text, each.attributes);
    return paragraph;
}

inline Document document(std::initializer_list<Paragraph> paragraphs)
{
    Document document;
    document.paragraphs = paragraphs;
    return document;
}

inline RunAttributes bold()
{
    RunAttributes attributes;
    attributes.bold = true;
    return attributes;
}

// A document that uses every attribute the model holds, in every combination a round trip must
// keep apart: fonts with names outside ASCII, half-point sizes, colours, highlights, all four
// alignments, tabs, line breaks, characters that the formats escape and text outside the BMP.
inline Document everyAttribute()
{
    RunAttributes serif;
    serif.fontFamily = "Liberation Serif";
    serif.pointSize = 10.5;
    RunAttributes styled = serif;
    styled.bold = true;
    styled.italic = true;
    styled.underline = true;
    styled.foreground = Color { 0xC0, 0x10, 0x20, 255 };
    RunAttributes marked;
    marked.fontFamily = "Fuente \u00d1and\u00fa";
    marked.pointSize = 36;
    marked.background = Color { 0xFF, 0xF0, 0x00, 255 };
    RunAttributes both = marked;
    both.foreground = Color { 0, 0, 0, 255 };
    both.background = Color { 0x20, 0x40, 0x60, 255 };
    RunAttributes italic;
    italic.italic = true;
    return document({
        paragraph({ run("Plain start, "), run("bold italic underlined red", styled), run(" then serif", serif) }),
        paragraph({ run("Centred \u00e9\u20ac\U0001D11E", marked) }, Alignment::Center),
        paragraph({ run("Right\ttabbed", both), run(std::string("\u2028") + "after a break", italic) }, Alignment::Right),
        paragraph({ run("  Justified with {braces} \\ backslash <tags> & \"quotes\" ;  ") }, Alignment::Justified),
        paragraph({}),
        paragraph({ run("\u65e5\u672c\u8a9e and \u0645\u0631\u062d\u0628\u0627", serif) }),
    });
}

}

}
