#include "docops/richtext/DocxProperties.h"

#include "platform/core/Text.h"
#include "platform/core/XmlPushParser.h"

#include <array>

namespace ikw::richtext {

namespace {

struct NamedColor {
    std::string_view name;
    Color color;
};

// The colours of w:highlight.
constexpr std::array<NamedColor, 16> kHighlightColors = { {
    { "black", { 0x00, 0x00, 0x00 } }, { "blue", { 0x00, 0x00, 0xFF } }, { "cyan", { 0x00, 0xFF, 0xFF } },
    { "green", { 0x00, 0xFF, 0x00 } }, { "magenta", { 0xFF, 0x00, 0xFF } }, { "red", { 0xFF, 0x00, 0x00 } },
    { "yellow", { 0xFF, 0xFF, 0x00 } }, { "white", { 0xFF, 0xFF, 0xFF } }, { "darkBlue", { 0x00, 0x00, 0x80 } },
    { "darkCyan", { 0x00, 0x80, 0x80 } }, { "darkGreen", { 0x00, 0x80, 0x00 } }, { "darkMagenta", { 0x80, 0x00, 0x80 } },
    { "darkRed", { 0x80, 0x00, 0x00 } }, { "darkYellow", { 0x80, 0x80, 0x00 } }, { "darkGray", { 0x80, 0x80, 0x80 } },
    { "lightGray", { 0xC0, 0xC0, 0xC0 } },
} };

// "RRGGBB"; "auto" and anything else unreadable is no colour.
std::optional<Color> hexColor(std::string_view value)
{
    if (value.size() != 6)
        return std::nullopt;
    std::array<std::uint8_t, 3> channels {};
    for (std::size_t index = 0; index < 3; ++index) {
        const auto high = hexDigitValue(value[2 * index]);
        const auto low = hexDigitValue(value[2 * index + 1]);
        if (!high || !low)
            return std::nullopt;
        channels[index] = static_cast<std::uint8_t>(*high * 16 + *low);
    }
    return Color { channels[0], channels[1], channels[2], 255 };
}

std::optional<Color> highlightColor(std::string_view name)
{
    for (const NamedColor& entry : kHighlightColors) {
        if (entry.name == name)
            return entry.color;
    }
    return std::nullopt;
}

// w:b and its kind: no value, or a true value, switch it on.
bool onOffValue(const XmlAttributes& attributes)
{
    const auto value = attributes.find("w:val");
    return !value || !(*value == "0" || *value == "false" || *value == "off");
}

std::optional<double> halfPointsValue(std::string_view value)
{
    int halfPoints = 0;
    for (const char c : value) {
        if (c < '0' || c > '9' || halfPoints > 100000)
            return std::nullopt;
        halfPoints = halfPoints * 10 + (c - '0');
    }
    if (value.empty() || halfPoints == 0)
        return std::nullopt;
    return halfPoints / 2.0;
}

// The font a w:rFonts element gives Latin text: a theme font stands before an explicit name.
std::optional<std::string> latinFont(const XmlAttributes& attributes, const ThemeFonts& theme)
{
    for (const char* themeAttribute : { "w:asciiTheme", "w:hAnsiTheme" }) {
        if (const auto value = attributes.find(themeAttribute)) {
            const std::string& font = value->starts_with("major") ? theme.major : value->starts_with("minor") ? theme.minor : std::string();
            if (!font.empty())
                return font;
        }
    }
    for (const char* attribute : { "w:ascii", "w:hAnsi" }) {
        if (const auto value = attributes.find(attribute); value && !value->empty())
            return std::string(*value);
    }
    return std::nullopt;
}

template<typename T>
void overlayField(std::optional<T>& field, const std::optional<T>& over)
{
    if (over)
        field = over;
}

}

void RunFormatting::overlay(const RunFormatting& over)
{
    overlayField(bold, over.bold);
    overlayField(italic, over.italic);
    overlayField(underline, over.underline);
    overlayField(fontFamily, over.fontFamily);
    overlayField(pointSize, over.pointSize);
    overlayField(foreground, over.foreground);
    overlayField(highlight, over.highlight);
    overlayField(shading, over.shading);
}

void RunFormatting::clear()
{
    bold.reset();
    italic.reset();
    underline.reset();
    fontFamily.reset();
    pointSize.reset();
    foreground.reset();
    highlight.reset();
    shading.reset();
}

RunAttributes RunFormatting::attributes() const
{
    RunAttributes attributes;
    attributes.bold = bold.value_or(false);
    attributes.italic = italic.value_or(false);
    attributes.underline = underline.value_or(false);
    if (fontFamily)
        attributes.fontFamily = *fontFamily;
    attributes.pointSize = pointSize;
    attributes.foreground = foreground.value_or(std::nullopt);
    attributes.background = highlight.value_or(std::nullopt);
    if (!attributes.background)
        attributes.background = shading.value_or(std::nullopt);
    return attributes;
}

void readRunProperty(std::string_view element, const XmlAttributes& attributes, const ThemeFonts& theme, RunFormatting& formatting)
{
    const auto value = attributes.find("w:val");
    if (element == "w:b") {
        formatting.bold = onOffValue(attributes);
    } else if (element == "w:i") {
        formatting.italic = onOffValue(attributes);
    } else if (element == "w:u") {
        formatting.underline = !value || *value != "none";
    } else if (element == "w:color") {
        formatting.foreground = hexColor(value.value_or(""));
    } else if (element == "w:sz") {
        if (const auto points = halfPointsValue(value.value_or("")))
            formatting.pointSize = points;
    } else if (element == "w:highlight") {
        formatting.highlight = highlightColor(value.value_or(""));
    } else if (element == "w:shd") {
        // A solid pattern shows its pattern colour; any other shows the fill.
        const bool solid = value == "solid";
        formatting.shading = hexColor(attributes.find(solid ? "w:color" : "w:fill").value_or(""));
    } else if (element == "w:rFonts") {
        if (auto font = latinFont(attributes, theme))
            formatting.fontFamily = std::move(font);
    }
}

std::optional<Alignment> alignmentOfJustification(std::string_view value)
{
    if (value == "center")
        return Alignment::Center;
    if (value == "right" || value == "end")
        return Alignment::Right;
    if (value == "both" || value == "distribute" || value == "thaiDistribute" || value.ends_with("Kashida"))
        return Alignment::Justified;
    if (value == "left" || value == "start")
        return Alignment::Left;
    return std::nullopt;
}

}
