#include "docops/richtext/RtfCodec.h"

#include "docops/richtext/WrittenAttributes.h"

#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <map>
#include <vector>

namespace ikw::richtext {

namespace {

// Appends one character as RTF text.
void appendCharacter(std::string& rtf, UChar32 c)
{
    switch (c) {
    case '\\':
    case '{':
    case '}':
        rtf.push_back('\\');
        rtf.push_back(static_cast<char>(c));
        return;
    case '\t':
        rtf.append("\\tab ");
        return;
    case '\n':
    case '\r':
    case 0x2028:
    case 0x2029:
        rtf.append("\\line ");
        return;
    case 0:
        return;
    default:
        break;
    }
    if (c >= 0x20 && c < 0x7F) {
        rtf.push_back(static_cast<char>(c));
        return;
    }
    // \uN takes a signed 16-bit number; characters beyond the BMP go as their surrogate pair.
    // Each is followed by the one replacement character that \uc1 announces.
    const auto unit = [&](UChar value) { rtf.append("\\u" + std::to_string(static_cast<int16_t>(value)) + "?"); };
    if (U_IS_BMP(c)) {
        unit(static_cast<UChar>(c));
    } else {
        unit(U16_LEAD(c));
        unit(U16_TRAIL(c));
    }
}

// False when the text is not UTF-8.
bool appendText(std::string& rtf, std::string_view utf8)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto length = static_cast<int64_t>(utf8.size());
    for (int64_t at = 0; at < length;) {
        UChar32 c;
        U8_NEXT(bytes, at, length, c);
        if (c < 0)
            return false;
        appendCharacter(rtf, c);
    }
    return true;
}

std::string_view alignmentWord(Alignment alignment)
{
    switch (alignment) {
    case Alignment::Center:
        return "\\qc";
    case Alignment::Right:
        return "\\qr";
    case Alignment::Justified:
        return "\\qj";
    case Alignment::Left:
        break;
    }
    return "\\ql";
}

// The font and colour tables of what the runs use, numbered in order of first use; colours count
// from 1 (0 is the automatic one).
class Tables {
public:
    explicit Tables(const Document& document)
    {
        for (const Paragraph& paragraph : document.paragraphs) {
            for (const TextRun& run : paragraph.runs) {
                const WrittenAttributes written(run.attributes);
                if (!written.fontFamily.empty())
                    fontIndex(written.fontFamily);
                if (written.foreground)
                    colorIndex(*written.foreground);
                if (written.background)
                    colorIndex(*written.background);
            }
        }
    }

    std::size_t fontIndex(std::string_view family)
    {
        const auto [entry, added] = m_fontIndexes.try_emplace(std::string(family), m_fonts.size());
        if (added)
            m_fonts.emplace_back(family);
        return entry->second;
    }

    std::size_t colorIndex(const Color& color)
    {
        const auto [entry, added] = m_colorIndexes.try_emplace(rgbKey(color), m_colors.size() + 1);
        if (added)
            m_colors.push_back(color);
        return entry->second;
    }

    // False when a font name is not UTF-8.
    bool append(std::string& rtf) const
    {
        if (!m_fonts.empty()) {
            rtf.append("{\\fonttbl");
            for (std::size_t index = 0; index < m_fonts.size(); ++index) {
                rtf.append("{\\f" + std::to_string(index) + "\\fnil ");
                // A semicolon would end the name early.
                std::string name = m_fonts[index];
                std::erase(name, ';');
                if (!appendText(rtf, name))
                    return false;
                rtf.append(";}");
            }
            rtf.append("}\n");
        }
        if (!m_colors.empty()) {
            rtf.append("{\\colortbl;");
            for (const Color& color : m_colors)
                rtf.append("\\red" + std::to_string(color.red) + "\\green" + std::to_string(color.green) + "\\blue" + std::to_string(color.blue) + ";");
            rtf.append("}\n");
        }
        return true;
    }

private:
    std::vector<std::string> m_fonts;
    std::map<std::string, std::size_t, std::less<>> m_fontIndexes;
    std::vector<Color> m_colors;
    std::map<std::uint32_t, std::size_t> m_colorIndexes;
};

// The control words of a run's attributes, "" for none.
std::string runWords(const RunAttributes& attributes, Tables& tables)
{
    const WrittenAttributes written(attributes);
    std::string words;
    if (!written.fontFamily.empty())
        words += "\\f" + std::to_string(tables.fontIndex(written.fontFamily));
    if (written.halfPoints)
        words += "\\fs" + std::to_string(*written.halfPoints);
    if (attributes.bold)
        words += "\\b";
    if (attributes.italic)
        words += "\\i";
    if (attributes.underline)
        words += "\\ul";
    if (written.foreground)
        words += "\\cf" + std::to_string(tables.colorIndex(*written.foreground));
    if (written.background) {
        const std::string index = std::to_string(tables.colorIndex(*written.background));
        words += "\\chcbpat" + index + "\\cb" + index;
    }
    return words;
}

}

Result<std::string> encodeRtf(const Document& document)
{
    Tables tables(document);
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\uc1\n";
    if (!tables.append(rtf))
        return Failure { "A font name is not valid UTF-8." };
    const std::size_t count = std::max<std::size_t>(document.paragraphs.size(), 1);
    for (std::size_t index = 0; index < count; ++index) {
        const Paragraph empty;
        const Paragraph& paragraph = index < document.paragraphs.size() ? document.paragraphs[index] : empty;
        rtf.append("\\pard");
        rtf.append(alignmentWord(paragraph.alignment));
        rtf.push_back(' ');
        for (const TextRun& run : paragraph.runs) {
            const std::string words = runWords(run.attributes, tables);
            if (!words.empty())
                rtf.append("{" + words + " ");
            if (!appendText(rtf, run.text))
                return Failure { "The text is not valid UTF-8." };
            if (!words.empty())
                rtf.push_back('}');
        }
        if (index + 1 < count)
            rtf.append("\\par\n");
    }
    rtf.append("}\n");
    return rtf;
}

}
