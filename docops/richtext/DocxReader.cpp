#include "docops/richtext/DocxCodec.h"

#include "docops/richtext/DocxStyles.h"
#include "docops/richtext/PackagePart.h"
#include "docops/richtext/PieceBudget.h"
#include "platform/core/XmlPushParser.h"

#include <algorithm>
#include <array>
#include <vector>

namespace ikw::richtext {

namespace {

constexpr std::string_view kDocumentPart = "word/document.xml";

// Subtrees whose text is not part of the document as it reads: the fallback copy of content that
// is also given another way, the old properties of tracked changes, moved-away and deleted text.
constexpr std::array<std::string_view, 6> kSkippedElements = { "mc:Fallback", "w:rPrChange", "w:pPrChange", "w:moveFrom",
    "w:del", "w:sectPr" };

bool isSkipped(std::string_view name)
{
    return std::find(kSkippedElements.begin(), kSkippedElements.end(), name) != kSkippedElements.end();
}

// Text of a w:t without xml:space="preserve" loses its white space at both ends; line ends and
// tabs inside are spaces (tabs and breaks have elements of their own).
std::string textOfElement(std::string_view text, bool preserve)
{
    constexpr std::string_view kWhiteSpace = " \t\r\n";
    if (!preserve) {
        const std::size_t begin = text.find_first_not_of(kWhiteSpace);
        if (begin == std::string_view::npos)
            return {};
        text = text.substr(begin, text.find_last_not_of(kWhiteSpace) - begin + 1);
    }
    std::string cleaned(text);
    std::replace_if(cleaned.begin(), cleaned.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return cleaned;
}

// A paragraph being read, with the run being read in it. Depths are element depths in the part;
// -1 when not inside.
struct OpenParagraph {
    int depth = 0;
    Paragraph paragraph;
    std::optional<std::string> styleId;
    std::optional<Alignment> alignment; // its own w:jc
    const ParagraphBase* base = nullptr; // resolved at the first run
    std::vector<Paragraph> anchored;     // paragraphs of text boxes inside it, in order
    int propertiesDepth = -1;            // w:pPr

    int runDepth = -1;
    int runPropertiesDepth = -1;
    std::string runStyle;
    RunFormatting runFormatting; // the run's own w:rPr
    RunAttributes runAttributes;
    bool inText = false;
    bool preserveSpace = false;
};

class BodyReader final : public XmlSaxHandler {
public:
    explicit BodyReader(DocxStyles& styles) : m_styles(styles) { }

    void startElement(std::string_view name, const XmlAttributes& attributes) override
    {
        const int depth = m_depth++;
        if (m_skipping > 0 || isSkipped(name)) {
            ++m_skipping;
            return;
        }
        if (name == "w:p") {
            m_open.emplace_back().depth = depth;
            return;
        }
        if (m_open.empty())
            return; // the body, tables, rows and cells hold no text of their own
        OpenParagraph& open = m_open.back();
        if (open.propertiesDepth >= 0) {
            if (depth == open.propertiesDepth + 1)
                paragraphProperty(open, name, attributes);
        } else if (name == "w:pPr" && depth == open.depth + 1) {
            open.propertiesDepth = depth;
        } else if (name == "w:r") {
            startRun(open, depth);
        } else if (open.runDepth >= 0 && depth == open.runDepth + 1) {
            runContent(open, depth, name, attributes);
        } else if (open.runPropertiesDepth >= 0 && depth == open.runPropertiesDepth + 1) {
            if (name == "w:rStyle")
                open.runStyle = std::string(attributes.find("w:val").value_or(""));
            else
                readRunProperty(name, attributes, m_styles.themeFonts(), open.runFormatting);
        }
    }

    void endElement(std::string_view) override
    {
        const int depth = --m_depth;
        if (m_skipping > 0) {
            --m_skipping;
            return;
        }
        if (m_open.empty())
            return;
        OpenParagraph& open = m_open.back();
        if (depth == open.depth) {
            closeParagraph();
        } else if (depth == open.propertiesDepth) {
            open.propertiesDepth = -1;
        } else if (depth == open.runPropertiesDepth) {
            open.runPropertiesDepth = -1;
            resolveRun(open);
        } else if (open.inText && depth == open.runDepth + 1) {
            open.inText = false;
            m_budget.append(open.paragraph, textOfElement(m_text, open.preserveSpace), open.runAttributes);
        } else if (depth == open.runDepth) {
            open.runDepth = -1;
        }
    }

    void characters(std::string_view text) override
    {
        if (m_skipping == 0 && !m_open.empty() && m_open.back().inText)
            m_text.append(text);
    }

    Result<Document> finish()
    {
        if (m_budget.exceeded())
            return PieceBudget::failure();
        if (m_document.paragraphs.empty())
            m_document.paragraphs.emplace_back();
        return std::move(m_document);
    }

private:
    void paragraphProperty(OpenParagraph& open, std::string_view name, const XmlAttributes& attributes)
    {
        if (name == "w:pStyle")
            open.styleId = std::string(attributes.find("w:val").value_or(""));
        else if (name == "w:jc")
            open.alignment = alignmentOfJustification(attributes.find("w:val").value_or(""));
    }

    const ParagraphBase& base(OpenParagraph& open)
    {
        if (!open.base)
            open.base = &m_styles.paragraphBase(open.styleId);
        return *open.base;
    }

    void startRun(OpenParagraph& open, int depth)
    {
        open.runDepth = depth;
        open.runPropertiesDepth = -1;
        open.runStyle.clear();
        open.runFormatting.clear();
        open.runAttributes = base(open).run.attributes();
        open.inText = false;
    }

    // Defaults and the paragraph's style, then the run's character style, then its own properties.
    void resolveRun(OpenParagraph& open)
    {
        RunFormatting formatting = base(open).run;
        if (!open.runStyle.empty())
            formatting.overlay(m_styles.characterStyle(open.runStyle));
        formatting.overlay(open.runFormatting);
        open.runAttributes = formatting.attributes();
    }

    void runContent(OpenParagraph& open, int depth, std::string_view name, const XmlAttributes& attributes)
    {
        if (name == "w:rPr") {
            open.runPropertiesDepth = depth;
        } else if (name == "w:t") {
            open.inText = true;
            open.preserveSpace = attributes.find("xml:space") == "preserve";
            m_text.clear();
        } else if (name == "w:tab" || name == "w:ptab") {
            m_budget.append(open.paragraph, "\t", open.runAttributes);
        } else if (name == "w:br" || name == "w:cr") {
            m_budget.append(open.paragraph, kLineBreak, open.runAttributes);
        } else if (name == "w:noBreakHyphen") {
            m_budget.append(open.paragraph, "\u2011", open.runAttributes);
        }
    }

    void closeParagraph()
    {
        OpenParagraph open = std::move(m_open.back());
        m_open.pop_back();
        open.paragraph.alignment = open.alignment.value_or(base(open).alignment);
        m_budget.countParagraph();
        if (m_budget.exceeded())
            return;
        // A text box's paragraphs follow the paragraph that holds the text box.
        std::vector<Paragraph>& target = m_open.empty() ? m_document.paragraphs : m_open.back().anchored;
        target.push_back(std::move(open.paragraph));
        std::move(open.anchored.begin(), open.anchored.end(), std::back_inserter(target));
    }

    DocxStyles& m_styles;
    Document m_document;
    PieceBudget m_budget;
    std::vector<OpenParagraph> m_open; // innermost last; XML nesting keeps it short
    std::string m_text;                // of the w:t being read
    int m_depth = 0;
    int m_skipping = 0;
};

}

Result<Document> decodeDocx(const ZipArchive& archive)
{
    auto styles = DocxStyles::read(archive);
    if (!styles)
        return Failure { styles.error() };
    BodyReader reader(styles.value());
    if (const PartStatus status = parsePackagePart(archive, kDocumentPart, kMaxDocumentPartBytes, reader); status != PartStatus::Read)
        return partFailure(kDocumentPart, status, kMaxDocumentPartBytes);
    return reader.finish();
}

}
