#include "crossdoc/DocxText.h"

#include "crossdoc/PackageParts.h"
#include "platform/core/XmlPushParser.h"

namespace ikw::crossdoc {

namespace {

class DocumentTextHandler final : public XmlSaxHandler {
public:
    void startElement(std::string_view name, const XmlAttributes&) override
    {
        if (name == "mc:Fallback" || m_fallbackDepth > 0) {
            if (name == "mc:Fallback")
                ++m_fallbackDepth;
            return;
        }
        if (name == "w:p") {
            // A paragraph inside another (in a text box) gets lines of its own.
            if (m_paragraphDepth > 0 && !m_line.empty())
                writeLine();
            if (m_paragraphDepth == 0)
                m_paragraphWroteLine = false;
            ++m_paragraphDepth;
        } else if (name == "w:pPr" || name == "w:rPr") {
            ++m_propertiesDepth;
        } else if (name == "w:r") {
            ++m_runDepth;
        } else if (name == "w:t") {
            m_inText = true;
        } else if (inRunContent() && name == "w:tab") {
            // In properties, w:tab is a tab stop.
            m_line.push_back('\t');
        } else if (inRunContent() && (name == "w:br" || name == "w:cr")) {
            m_line.push_back('\n');
        }
    }

    void endElement(std::string_view name) override
    {
        if (m_fallbackDepth > 0) {
            if (name == "mc:Fallback")
                --m_fallbackDepth;
            return;
        }
        if (name == "w:p" && m_paragraphDepth > 0) {
            --m_paragraphDepth;
            const bool outermost = m_paragraphDepth == 0;
            if (!m_line.empty() || (outermost && !m_paragraphWroteLine))
                writeLine();
        } else if ((name == "w:pPr" || name == "w:rPr") && m_propertiesDepth > 0) {
            --m_propertiesDepth;
        } else if (name == "w:r" && m_runDepth > 0) {
            --m_runDepth;
        } else if (name == "w:t") {
            m_inText = false;
        }
    }

    void characters(std::string_view text) override
    {
        if (m_inText && m_fallbackDepth == 0)
            m_line.append(text);
    }

    // What was read, with the text of a paragraph that a damaged part left open.
    std::string take()
    {
        if (!m_line.empty())
            writeLine();
        return std::move(m_text);
    }

private:
    bool inRunContent() const { return m_runDepth > 0 && m_propertiesDepth == 0; }

    void writeLine()
    {
        m_text.append(m_line);
        m_text.push_back('\n');
        m_line.clear();
        m_paragraphWroteLine = true;
    }

    std::string m_text;
    std::string m_line;
    int m_paragraphDepth = 0;
    int m_runDepth = 0;
    int m_propertiesDepth = 0;
    int m_fallbackDepth = 0;
    bool m_inText = false;
    bool m_paragraphWroteLine = false;
};

}

std::optional<std::string> docxText(const ZipArchive& archive, std::uint64_t maxBytes)
{
    DocumentTextHandler handler;
    if (!parsePackagePart(archive, "word/document.xml", maxBytes, handler))
        return std::nullopt;
    return handler.take();
}

}
