#pragma once

#include "docops/richtext/CodecResult.h"
#include "docops/richtext/DocxProperties.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ikw {
class ZipArchive;
}

namespace ikw::richtext {

// One w:style of word/styles.xml: what it sets itself and the style it is based on.
struct StyleDefinition {
    std::string basedOn;
    RunFormatting run;
    std::optional<Alignment> alignment;
};

// What a paragraph of some style starts from: the document defaults, then the chain of the
// style's bases from the furthest, then the style itself.
struct ParagraphBase {
    RunFormatting run;
    Alignment alignment = Alignment::Left;
};

// What word/styles.xml and the theme (word/theme/theme1.xml) say, as written.
struct StyleSheet {
    ThemeFonts theme;
    RunFormatting defaultRun;                  // w:docDefaults
    std::optional<Alignment> defaultAlignment; // w:docDefaults
    std::map<std::string, StyleDefinition, std::less<>> styles; // by w:styleId
    std::string defaultParagraphStyle;         // the paragraph style marked w:default
};

// The styles of a Word package, resolved on demand and kept. A chain of bases ends at a missing
// style, at a loop or after 32 steps.
class DocxStyles {
public:
    explicit DocxStyles(StyleSheet sheet) : m_sheet(std::move(sheet)) { }
    // Reads both parts; either may be missing. Fails when one is there but unreadable.
    static Result<DocxStyles> read(const ZipArchive& archive);

    const ThemeFonts& themeFonts() const { return m_sheet.theme; }
    // The base of a paragraph with this w:pStyle; none, or a style that does not exist, is the
    // default paragraph style.
    const ParagraphBase& paragraphBase(std::optional<std::string_view> styleId);
    // What a character style (w:rStyle) sets, its bases included.
    const RunFormatting& characterStyle(std::string_view styleId);

private:
    // The styles from `styleId` down to its furthest base, nearest first.
    std::vector<const StyleDefinition*> chain(std::string_view styleId) const;

    StyleSheet m_sheet;
    std::map<std::string, ParagraphBase, std::less<>> m_paragraphBases;
    std::map<std::string, RunFormatting, std::less<>> m_characterStyles;
};

}
