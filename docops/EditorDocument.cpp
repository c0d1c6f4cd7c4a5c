#include "docops/EditorDocument.h"

#include <algorithm>
#include <cmath>

namespace ikw::docops {
namespace {

ui::Color toUi(const richtext::Color& color)
{
    return { color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0 };
}

richtext::Color toRich(const ui::Color& color)
{
    const auto byte = [](double value) { return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255)); };
    return { byte(color.red), byte(color.green), byte(color.blue), byte(color.alpha) };
}

ui::TextStyle toUi(const richtext::RunAttributes& attributes)
{
    ui::TextStyle style;
    style.bold = attributes.bold;
    style.italic = attributes.italic;
    style.underline = attributes.underline;
    style.fontFamily = attributes.fontFamily;
    style.pointSize = attributes.pointSize;
    if (attributes.foreground)
        style.foreground = toUi(*attributes.foreground);
    if (attributes.background)
        style.background = toUi(*attributes.background);
    return style;
}

richtext::RunAttributes toRich(const ui::TextStyle& style)
{
    richtext::RunAttributes attributes;
    attributes.bold = style.bold;
    attributes.italic = style.italic;
    attributes.underline = style.underline;
    attributes.fontFamily = style.fontFamily;
    // Sizes are kept to half points, as both rich formats store them.
    if (style.pointSize)
        attributes.pointSize = std::round(*style.pointSize * 2) / 2;
    if (style.foreground)
        attributes.foreground = toRich(*style.foreground);
    if (style.background)
        attributes.background = toRich(*style.background);
    return attributes;
}

}

std::vector<ui::StyledParagraph> editorParagraphs(const richtext::Document& document)
{
    std::vector<ui::StyledParagraph> paragraphs;
    for (const auto& paragraph : document.paragraphs) {
        ui::StyledParagraph out;
        out.align = static_cast<ui::TextAlign>(paragraph.alignment);
        for (const auto& run : paragraph.runs)
            out.runs.push_back({ run.text, toUi(run.attributes) });
        paragraphs.push_back(std::move(out));
    }
    return paragraphs;
}

richtext::Document documentFromEditor(const std::vector<ui::StyledParagraph>& paragraphs, const richtext::Document& asRead)
{
    richtext::Document document;
    document.defaultLineEnd = asRead.defaultLineEnd;
    document.byteOrderMark = asRead.byteOrderMark;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        richtext::Paragraph paragraph;
        paragraph.alignment = static_cast<richtext::Alignment>(paragraphs[i].align);
        if (i < asRead.paragraphs.size())
            paragraph.lineEnd = asRead.paragraphs[i].lineEnd;
        for (const auto& run : paragraphs[i].runs)
            paragraph.append(run.text, toRich(run.style));
        document.paragraphs.push_back(std::move(paragraph));
    }
    return document;
}

}
