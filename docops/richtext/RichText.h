#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The editor's document: paragraphs of runs of text with the attributes the editor can show and
// change. The codecs of this folder read and write it as plain text, RTF and Word (.docx).
namespace ikw::richtext {

// A colour in sRGB, eight bits a channel. The document formats store opaque colours: a written
// colour loses its alpha, and one with alpha 0 is written as no colour at all.
struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;

    bool operator==(const Color&) const = default;
};

enum class Alignment : std::uint8_t { Left, Center, Right, Justified };

// How a line of a plain-text document ends.
enum class LineEnd : std::uint8_t {
    Default, // the document's own (Document::defaultLineEnd)
    Lf,
    CrLf,
    Cr,
};

// What a stretch of text looks like. What is not set is left to the program that shows the
// document: the readers set only what the file says.
struct RunAttributes {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::string fontFamily;          // empty: the default font
    std::optional<double> pointSize; // kept to half points, as both rich formats store sizes
    std::optional<Color> foreground; // none: the automatic text colour
    std::optional<Color> background; // none: no highlight

    bool operator==(const RunAttributes&) const = default;
};

// Text in UTF-8 without paragraph ends: a tab is '\t', a line break inside the paragraph is
// U+2028 (kLineBreak).
struct TextRun {
    std::string text;
    RunAttributes attributes;

    bool operator==(const TextRun&) const = default;
};

inline constexpr std::string_view kLineBreak = "\u2028";

struct Paragraph {
    // Runs that are not empty, neighbours differing in their attributes (see append).
    std::vector<TextRun> runs;
    Alignment alignment = Alignment::Left;
    // Plain text: how the line ends; the last paragraph's is never written.
    LineEnd lineEnd = LineEnd::Default;

    // Adds text at the end, to the last run when its attributes are the same.
    void append(std::string_view text, const RunAttributes& attributes);
    // The text of all runs.
    std::string text() const;
    bool isEmpty() const { return runs.empty(); }

    bool operator==(const Paragraph&) const = default;
};

struct Document {
    // At least one after reading; a writer treats none as one empty paragraph.
    std::vector<Paragraph> paragraphs;
    // Plain text: the line end of paragraphs whose own is Default (the first the file used).
    LineEnd defaultLineEnd = LineEnd::Lf;
    // Plain text: the file began with a UTF-8 byte order mark, written back the same way.
    bool byteOrderMark = false;

    bool operator==(const Document&) const = default;
};

// The bytes of a line end; Default stands for LF.
std::string_view lineEndBytes(LineEnd lineEnd);

}
