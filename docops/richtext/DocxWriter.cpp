#include "docops/richtext/DocxCodec.h"

#include "docops/richtext/WrittenAttributes.h"
#include "platform/core/ZipWriter.h"

#include <unicode/utf8.h>

#include <cstdio>

namespace ikw::richtext {

namespace {

constexpr std::string_view kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr std::string_view kMainNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

constexpr std::string_view kContentTypes =
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
    "<Override PartName=\"/word/styles.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
    "</Types>";

constexpr std::string_view kPackageRelationships =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"word/document.xml\"/>"
    "</Relationships>";

constexpr std::string_view kDocumentRelationships =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>"
    "</Relationships>";

std::string stylesPart()
{
    return std::string(kXmlDeclaration) + "<w:styles xmlns:w=\"" + std::string(kMainNamespace) + "\">"
        "<w:docDefaults><w:rPrDefault><w:rPr/></w:rPrDefault><w:pPrDefault><w:pPr/></w:pPrDefault></w:docDefaults>"
        "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/><w:qFormat/></w:style>"
        "</w:styles>";
}

// Whether XML 1.0 can carry the character at all.
bool isXmlCharacter(UChar32 c)
{
    return c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) || c >= 0x10000;
}

// Escapes text for XML content or an attribute value in double quotes, leaving out what XML
// cannot carry (control characters). False when the text is not UTF-8.
bool appendEscaped(std::string& xml, std::string_view utf8)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto length = static_cast<int64_t>(utf8.size());
    for (int64_t at = 0; at < length;) {
        const int64_t start = at;
        UChar32 c;
        U8_NEXT(bytes, at, length, c);
        if (c < 0)
            return false;
        switch (c) {
        case '&':
            xml.append("&amp;");
            break;
        case '<':
            xml.append("&lt;");
            break;
        case '>':
            xml.append("&gt;");
            break;
        case '"':
            xml.append("&quot;");
            break;
        default:
            if (isXmlCharacter(c))
                xml.append(utf8.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(at - start)));
        }
    }
    return true;
}

std::string hex(const Color& color)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", color.red, color.green, color.blue);
    return text;
}

std::string_view justification(Alignment alignment)
{
    switch (alignment) {
    case Alignment::Center:
        return "center";
    case Alignment::Right:
        return "right";
    case Alignment::Justified:
        return "both";
    case Alignment::Left:
        break;
    }
    return "left";
}

// w:rPr with its children in the order the schema gives them.
bool appendRunProperties(std::string& xml, const RunAttributes& attributes)
{
    const WrittenAttributes written(attributes);
    std::string properties;
    if (!written.fontFamily.empty()) {
        std::string font;
        if (!appendEscaped(font, written.fontFamily))
            return false;
        properties += "<w:rFonts w:ascii=\"" + font + "\" w:hAnsi=\"" + font + "\" w:eastAsia=\"" + font + "\" w:cs=\"" + font + "\"/>";
    }
    if (attributes.bold)
        properties += "<w:b/>";
    if (attributes.italic)
        properties += "<w:i/>";
    if (written.foreground)
        properties += "<w:color w:val=\"" + hex(*written.foreground) + "\"/>";
    if (written.halfPoints) {
        const std::string size = std::to_string(*written.halfPoints);
        properties += "<w:sz w:val=\"" + size + "\"/><w:szCs w:val=\"" + size + "\"/>";
    }
    if (attributes.underline)
        properties += "<w:u w:val=\"single\"/>";
    if (written.background)
        properties += "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"" + hex(*written.background) + "\"/>";
    if (!properties.empty())
        xml += "<w:rPr>" + properties + "</w:rPr>";
    return true;
}

// The run's text: w:t for text, w:tab for tabs, w:br for line breaks.
bool appendRunContent(std::string& xml, std::string_view text)
{
    std::size_t start = 0;
    const auto flushText = [&](std::size_t end) {
        if (end == start)
            return true;
        xml.append("<w:t xml:space=\"preserve\">");
        const bool valid = appendEscaped(xml, text.substr(start, end - start));
        xml.append("</w:t>");
        return valid;
    };
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 0;
        std::string_view element;
        if (text[at] == '\t') {
            length = 1;
            element = "<w:tab/>";
        } else if (text[at] == '\n' || text[at] == '\r') {
            length = 1;
            element = "<w:br/>";
        } else if (text.substr(at).starts_with("\u2028") || text.substr(at).starts_with("\u2029")) {
            length = 3;
            element = "<w:br/>";
        } else {
            ++at;
            continue;
        }
        if (!flushText(at))
            return false;
        xml.append(element);
        at += length;
        start = at;
    }
    return flushText(text.size());
}

bool appendParagraph(std::string& xml, const Paragraph& paragraph)
{
    xml.append("<w:p>");
    if (paragraph.alignment != Alignment::Left)
        xml += "<w:pPr><w:jc w:val=\"" + std::string(justification(paragraph.alignment)) + "\"/></w:pPr>";
    for (const TextRun& run : paragraph.runs) {
        xml.append("<w:r>");
        if (!appendRunProperties(xml, run.attributes) || !appendRunContent(xml, run.text))
            return false;
        xml.append("</w:r>");
    }
    xml.append("</w:p>");
    return true;
}

}

Result<std::string> encodeDocx(const Document& document)
{
    std::string body = std::string(kXmlDeclaration) + "<w:document xmlns:w=\"" + std::string(kMainNamespace) + "\"><w:body>";
    for (const Paragraph& paragraph : document.paragraphs) {
        if (!appendParagraph(body, paragraph))
            return Failure { "The text is not valid UTF-8." };
    }
    if (document.paragraphs.empty())
        appendParagraph(body, Paragraph());
    body.append("</w:body></w:document>");

    ZipWriter package;
    const bool added = package.add("[Content_Types].xml", std::string(kXmlDeclaration) + std::string(kContentTypes))
        && package.add("_rels/.rels", std::string(kXmlDeclaration) + std::string(kPackageRelationships))
        && package.add("word/document.xml", std::move(body))
        && package.add("word/_rels/document.xml.rels", std::string(kXmlDeclaration) + std::string(kDocumentRelationships))
        && package.add("word/styles.xml", stylesPart());
    auto bytes = added ? package.finish() : std::nullopt;
    if (!bytes)
        return Failure { "The Word package could not be put together." };
    return std::move(*bytes);
}

}
