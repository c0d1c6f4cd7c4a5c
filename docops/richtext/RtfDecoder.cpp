#include "docops/richtext/RtfCodec.h"

#include "docops/richtext/PieceBudget.h"
#include "platform/core/RtfReader.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace ikw::richtext {

namespace {

// Table entries beyond these are not kept: no real document comes near them.
constexpr std::size_t kMaxFonts = 1 << 16;
constexpr std::size_t kMaxColors = 1 << 16;

constexpr std::array<std::string_view, 17> kUnderlineWords = { "ul", "uld", "uldash", "uldashd", "uldashdd", "uldb",
    "ulhwave", "ulldash", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",
    "ulwave" };

// Character formatting as RTF states it: table numbers, resolved when text comes.
struct CharacterFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::optional<int> font;
    std::optional<int> halfPoints;
    std::optional<int> foreground; // colour table index
    std::optional<int> background; // colour table index
};

// What a group keeps and gives back when it ends.
struct Format {
    CharacterFormat character;
    Alignment alignment = Alignment::Left;
};

bool switchedOn(std::optional<int> parameter)
{
    return parameter.value_or(1) != 0;
}

bool contains(const auto& words, std::string_view word)
{
    return std::find(words.begin(), words.end(), word) != words.end();
}

class DocumentBuilder final : public RtfReaderHandler {
public:
    void text(std::string_view utf8) override
    {
        if (utf8.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos && utf8.find("\u2029") == std::string_view::npos) {
            m_budget.append(m_paragraph, utf8, attributes());
            return;
        }
        // Line ends written as escapes break the line; NUL bytes are no text.
        std::string cleaned;
        for (std::size_t at = 0; at < utf8.size(); ++at) {
            const char c = utf8[at];
            if (c == '\r' || c == '\n') {
                cleaned.append(kLineBreak);
            } else if (utf8.substr(at).starts_with("\u2029")) {
                cleaned.append(kLineBreak);
                at += 2;
            } else if (c != '\0') {
                cleaned.push_back(c);
            }
        }
        m_budget.append(m_paragraph, cleaned, attributes());
    }

    void controlWord(std::string_view word, std::optional<int> parameter) override
    {
        if (paragraphWord(word) || characterWord(word, parameter))
            return;
        if (word == "line" || word == "page")
            m_budget.append(m_paragraph, kLineBreak, attributes());
    }

    void groupStart() override { m_groups.push_back(m_format); }

    void groupEnd() override
    {
        if (m_groups.empty())
            return;
        m_format = m_groups.back();
        m_groups.pop_back();
    }

    void fontTableEntry(int number, std::string_view utf8Name) override
    {
        if (m_fonts.size() < kMaxFonts || m_fonts.contains(number))
            m_fonts[number] = std::string(utf8Name);
    }

    void colorTableEntry(std::optional<RtfColor> color) override
    {
        if (m_colors.size() < kMaxColors)
            m_colors.push_back(color);
    }

    Result<Document> finish()
    {
        endParagraph();
        if (m_budget.exceeded())
            return PieceBudget::failure();
        return std::move(m_document);
    }

private:
    bool paragraphWord(std::string_view word)
    {
        if (word == "par" || word == "sect" || word == "cell" || word == "nestcell") {
            endParagraph();
        } else if (word == "row" || word == "nestrow") {
            // A row ends after its last cell: only text between them makes a paragraph.
            if (!m_paragraph.isEmpty())
                endParagraph();
        } else if (word == "pard" || word == "ql") {
            m_format.alignment = Alignment::Left;
        } else if (word == "qc") {
            m_format.alignment = Alignment::Center;
        } else if (word == "qr") {
            m_format.alignment = Alignment::Right;
        } else if (word == "qj" || word == "qd" || word == "qt") {
            m_format.alignment = Alignment::Justified;
        } else {
            return false;
        }
        return true;
    }

    bool characterWord(std::string_view word, std::optional<int> parameter)
    {
        CharacterFormat& format = m_format.character;
        if (word == "plain") {
            format = CharacterFormat();
            format.font = m_defaultFont;
        } else if (word == "deff") {
            m_defaultFont = parameter.value_or(0);
            format.font = m_defaultFont;
        } else if (word == "b") {
            format.bold = switchedOn(parameter);
        } else if (word == "i") {
            format.italic = switchedOn(parameter);
        } else if (contains(kUnderlineWords, word)) {
            format.underline = switchedOn(parameter);
        } else if (word == "ulnone") {
            format.underline = false;
        } else if (word == "f") {
            format.font = parameter.value_or(0);
        } else if (word == "fs") {
            if (parameter && *parameter > 0)
                format.halfPoints = *parameter;
        } else if (word == "cf") {
            format.foreground = parameter.value_or(0);
        } else if (word == "highlight") {
            // \highlight0 is no highlight, whatever the table's first entry.
            format.background = parameter.value_or(0) == 0 ? std::nullopt : parameter;
        } else if (word == "cb" || word == "chcbpat") {
            format.background = parameter.value_or(0);
        } else {
            return false;
        }
        return true;
    }

    void endParagraph()
    {
        m_paragraph.alignment = m_format.alignment;
        m_budget.countParagraph();
        if (!m_budget.exceeded())
            m_document.paragraphs.push_back(std::move(m_paragraph));
        m_paragraph = Paragraph();
    }

    std::optional<Color> color(std::optional<int> index) const
    {
        if (!index || *index < 0 || static_cast<std::size_t>(*index) >= m_colors.size() || !m_colors[static_cast<std::size_t>(*index)])
            return std::nullopt;
        const RtfColor& entry = *m_colors[static_cast<std::size_t>(*index)];
        return Color { entry.red, entry.green, entry.blue, 255 };
    }

    RunAttributes attributes() const
    {
        const CharacterFormat& format = m_format.character;
        RunAttributes attributes;
        attributes.bold = format.bold;
        attributes.italic = format.italic;
        attributes.underline = format.underline;
        if (format.font) {
            if (const auto font = m_fonts.find(*format.font); font != m_fonts.end())
                attributes.fontFamily = font->second;
        }
        if (format.halfPoints)
            attributes.pointSize = *format.halfPoints / 2.0;
        attributes.foreground = color(format.foreground);
        attributes.background = color(format.background);
        return attributes;
    }

    Document m_document;
    Paragraph m_paragraph;
    PieceBudget m_budget;
    Format m_format;
    std::vector<Format> m_groups; // the reader reports at most a few hundred levels
    std::optional<int> m_defaultFont;
    std::map<int, std::string> m_fonts;
    std::vector<std::optional<RtfColor>> m_colors;
};

}

Result<Document> decodeRtf(std::string_view bytes)
{
    if (bytes.size() > kMaxRtfBytes)
        return Failure { "The file is larger than 64 MB, more than the editor opens." };
    DocumentBuilder builder;
    const auto summary = readRtfDocument(bytes, builder);
    if (!summary)
        return Failure { "The file is not an RTF document: it does not begin with “{\\rtf”." };
    if (summary->deepestGroup > kMaxRtfNesting)
        return Failure { "The RTF document nests groups more than 500 deep, which no real document does." };
    if (!summary->closed)
        return Failure { "The RTF document is cut short: its groups are not all closed." };
    return builder.finish();
}

}
