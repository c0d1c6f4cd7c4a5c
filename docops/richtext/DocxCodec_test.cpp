#include "docops/richtext/DocxCodec.h"

#include "docops/richtext/testing/RichTextTesting.h"
#include "platform/core/XmlPushParser.h"
#include "platform/core/ZipArchive.h"
#include "tests/support/TempHome.h"
#include "tests/support/ZipFixtures.h"

#include <gtest/gtest.h>

namespace ikw::richtext {
namespace {

using namespace testing;

constexpr const char* kNamespaces = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                                    "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
                                    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"";

std::string documentPart(const std::string& body)
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document ") + kNamespaces + "><w:body>" + body
        + "</w:body></w:document>";
}

std::string stylesPart(const std::string& styles)
{
    return std::string("<?xml version=\"1.0\"?><w:styles ") + kNamespaces + ">" + styles + "</w:styles>";
}

// The archive with bytes of its first member's compressed data changed.
std::string withDamagedData(std::string zip)
{
    const auto field = [&](std::size_t at) { return static_cast<unsigned char>(zip[at]) | (static_cast<unsigned char>(zip[at + 1]) << 8); };
    const std::size_t data = 30 + field(26) + field(28);
    for (std::size_t at = data + 4; at < data + 24; ++at)
        zip[at] = static_cast<char>(zip[at] ^ 0x5A);
    return zip;
}

class DocxCodecTest : public ::testing::Test {
protected:
    // Reads a package made of these parts (name, XML).
    Result<Document> read(const std::vector<ikw::testing::ZipMember>& parts)
    {
        return readPackage(ikw::testing::zipBytes(parts));
    }

    Result<Document> readPackage(const std::string& bytes)
    {
        const auto archive = ZipArchive::open(ikw::testing::writeTestFile(home.file("doc" + std::to_string(++m_count) + ".docx"), bytes));
        if (!archive)
            return Failure { "no zip archive" };
        return decodeDocx(*archive);
    }

    ikw::testing::TempHome home;

private:
    int m_count = 0;
};

TEST_F(DocxCodecTest, ResolvesDocumentDefaultsStylesAndDirectFormatting)
{
    const std::string styles = stylesPart(
        "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Georgia\" w:hAnsi=\"Georgia\"/><w:sz w:val=\"22\"/></w:rPr></w:rPrDefault>"
        "<w:pPrDefault><w:pPr><w:spacing w:after=\"160\"/></w:pPr></w:pPrDefault></w:docDefaults>"
        "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
        "<w:style w:type=\"paragraph\" w:styleId=\"Strong\"><w:basedOn w:val=\"Normal\"/><w:pPr><w:jc w:val=\"center\"/></w:pPr>"
        "<w:rPr><w:b/><w:sz w:val=\"32\"/></w:rPr></w:style>"
        "<w:style w:type=\"paragraph\" w:styleId=\"Stronger\"><w:basedOn w:val=\"Strong\"/><w:rPr><w:color w:val=\"FF0000\"/></w:rPr></w:style>"
        "<w:style w:type=\"paragraph\" w:styleId=\"LoopA\"><w:basedOn w:val=\"LoopB\"/></w:style>"
        "<w:style w:type=\"paragraph\" w:styleId=\"LoopB\"><w:basedOn w:val=\"LoopA\"/><w:rPr><w:i/></w:rPr></w:style>"
        "<w:style w:type=\"character\" w:styleId=\"Marked\"><w:rPr><w:i/><w:highlight w:val=\"yellow\"/></w:rPr></w:style>"
        "<w:style w:type=\"table\" w:styleId=\"Grid\"><w:rPr><w:u w:val=\"single\"/></w:rPr>"
        "<w:tblStylePr w:type=\"firstRow\"><w:rPr><w:b/></w:rPr></w:tblStylePr></w:style>");
    const std::string body = documentPart(
        "<w:p><w:pPr><w:pStyle w:val=\"Strong\"/><w:rPr><w:i/></w:rPr></w:pPr><w:r><w:t>Heading</w:t></w:r></w:p>"
        "<w:p><w:pPr><w:pStyle w:val=\"Stronger\"/><w:jc w:val=\"right\"/></w:pPr><w:r><w:rPr><w:b w:val=\"0\"/></w:rPr><w:t>Not bold</w:t></w:r></w:p>"
        "<w:p><w:r><w:t xml:space=\"preserve\">Body </w:t></w:r><w:r><w:rPr><w:rStyle w:val=\"Marked\"/><w:sz w:val=\"21\"/></w:rPr><w:t>marked</w:t></w:r></w:p>"
        "<w:p><w:pPr><w:pStyle w:val=\"LoopA\"/></w:pPr><w:r><w:t>loop</w:t></w:r><w:r><w:rPr><w:rStyle w:val=\"Missing\"/></w:rPr><w:t>!</w:t></w:r></w:p>");
    const auto decoded = read({ { "word/document.xml", body }, { "word/styles.xml", styles } });
    ASSERT_TRUE(decoded) << decoded.error();

    RunAttributes normal;
    normal.fontFamily = "Georgia";
    normal.pointSize = 11;
    RunAttributes strong = normal;
    strong.bold = true;
    strong.pointSize = 16;
    RunAttributes stronger = strong;
    stronger.bold = false;
    stronger.foreground = Color { 255, 0, 0, 255 };
    RunAttributes marked = normal;
    marked.italic = true;
    marked.pointSize = 10.5;
    marked.background = Color { 255, 255, 0, 255 };
    RunAttributes looped = normal;
    looped.italic = true;
    EXPECT_EQ(decoded.value(), document({
        paragraph({ run("Heading", strong) }, Alignment::Center),
        paragraph({ run("Not bold", stronger) }, Alignment::Right),
        paragraph({ run("Body ", normal), run("marked", marked) }),
        paragraph({ run("loop!", looped) }),
    }));
}

TEST_F(DocxCodecTest, ThemeFontsAndShadingResolve)
{
    const std::string theme = "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><a:themeElements><a:fontScheme>"
                              "<a:majorFont><a:latin typeface=\"Cambria\"/></a:majorFont><a:minorFont><a:latin typeface=\"Calibri\"/>"
                              "</a:minorFont></a:fontScheme></a:themeElements></a:theme>";
    const std::string styles = stylesPart("<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:asciiTheme=\"minorHAnsi\" w:ascii=\"Arial\"/>"
                                          "</w:rPr></w:rPrDefault></w:docDefaults>");
    const std::string body = documentPart(
        "<w:p><w:r><w:t>body</w:t></w:r><w:r><w:rPr><w:rFonts w:asciiTheme=\"majorAscii\"/>"
        "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"00FF00\"/></w:rPr><w:t>shaded</w:t></w:r>"
        "<w:r><w:rPr><w:shd w:val=\"solid\" w:color=\"0000FF\" w:fill=\"auto\"/><w:highlight w:val=\"none\"/></w:rPr><w:t>solid</w:t></w:r>"
        "<w:r><w:rPr><w:shd w:fill=\"00FF00\"/><w:highlight w:val=\"darkRed\"/><w:color w:val=\"auto\"/></w:rPr><w:t>both</w:t></w:r></w:p>");
    const auto decoded = read({ { "word/document.xml", body }, { "word/styles.xml", styles }, { "word/theme/theme1.xml", theme } });
    ASSERT_TRUE(decoded) << decoded.error();

    RunAttributes minor;
    minor.fontFamily = "Calibri";
    RunAttributes shaded;
    shaded.fontFamily = "Cambria";
    shaded.background = Color { 0, 255, 0, 255 };
    RunAttributes solid = minor;
    solid.background = Color { 0, 0, 255, 255 };
    RunAttributes both = minor;
    both.background = Color { 0x80, 0, 0, 255 }; // the highlight lies over the shading
    EXPECT_EQ(decoded.value(), document({ paragraph({ run("body", minor), run("shaded", shaded), run("solid", solid), run("both", both) }) }));
}

// What a document holds besides plain paragraphs: tables, text boxes, fields, tracked changes.
TEST_F(DocxCodecTest, ReadsTheTextAsItShows)
{
    const std::string body = documentPart(
        "<w:tbl><w:tblPr/><w:tr><w:tc><w:p><w:r><w:t>A1</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>B1</w:t></w:r></w:p>"
        "<w:p><w:r><w:t>B1 second</w:t></w:r></w:p></w:tc></w:tr><w:tr><w:tc><w:p/></w:tc><w:tc><w:tbl><w:tr><w:tc><w:p><w:r>"
        "<w:t>nested</w:t></w:r></w:p></w:tc></w:tr></w:tbl></w:tc></w:tr></w:tbl>"
        "<w:p><w:r><w:t>Before </w:t></w:r><w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><w:txbxContent>"
        "<w:p><w:r><w:t>In the box</w:t></w:r></w:p></w:txbxContent></w:drawing></mc:Choice><mc:Fallback><w:pict><w:txbxContent>"
        "<w:p><w:r><w:t>Fallback copy</w:t></w:r></w:p></w:txbxContent></w:pict></mc:Fallback></mc:AlternateContent></w:r>"
        "<w:r><w:t xml:space=\"preserve\"> after</w:t></w:r></w:p>"
        "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> PAGE </w:instrText></w:r>"
        "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>7</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"
        "<w:hyperlink><w:r><w:t> link</w:t></w:r></w:hyperlink><w:del><w:r><w:delText>deleted</w:delText></w:r></w:del>"
        "<w:ins><w:r><w:t xml:space=\"preserve\"> inserted</w:t></w:r></w:ins><w:moveFrom><w:r><w:t>moved away</w:t></w:r></w:moveFrom></w:p>"
        "<w:p><w:r><w:rPr><w:b/><w:rPrChange><w:rPr><w:i/></w:rPr></w:rPrChange></w:rPr><w:t>tab</w:t><w:tab/><w:t>and</w:t><w:br/>"
        "<w:t>break</w:t><w:noBreakHyphen/></w:r></w:p>"
        "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs><w:jc w:val=\"both\"/></w:pPr><w:r><w:t>  trimmed\n"
        "  </w:t></w:r></w:p><w:sectPr><w:pgSz w:w=\"12240\"/></w:sectPr>");
    const auto decoded = read({ { "word/document.xml", body } });
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value(), document({
        paragraph({ run("A1") }),
        paragraph({ run("B1") }),
        paragraph({ run("B1 second") }),
        paragraph({}),
        paragraph({ run("nested") }),
        paragraph({ run("Before after") }),
        paragraph({ run("In the box") }),
        paragraph({ run("7link inserted") }),
        paragraph({ run("tab\tand\u2028break\u2011", bold()) }),
        paragraph({ run("trimmed") }, Alignment::Justified),
    }));
}

TEST_F(DocxCodecTest, WritesAMinimalPackageThatOpensAgain)
{
    const auto bytes = encodeDocx(everyAttribute());
    ASSERT_TRUE(bytes) << bytes.error();
    const auto archive = ZipArchive::open(ikw::testing::writeTestFile(home.file("written.docx"), bytes.value()));
    ASSERT_TRUE(archive);
    std::vector<std::string> names;
    for (const ZipEntry& entry : archive->entries()) {
        names.push_back(entry.name);
        class Quiet final : public XmlSaxHandler {
        public:
            void startElement(std::string_view, const XmlAttributes&) override { }
            void endElement(std::string_view) override { }
            void characters(std::string_view) override { }
        } quiet;
        EXPECT_TRUE(parseXml(archive->readMember(entry.name, 1 << 20).value_or(""), quiet)) << entry.name;
    }
    EXPECT_EQ(names, (std::vector<std::string> { "[Content_Types].xml", "_rels/.rels", "word/document.xml", "word/_rels/document.xml.rels", "word/styles.xml" }));
}

TEST_F(DocxCodecTest, WritingAndReadingBackKeepsEveryAttribute)
{
    const Document original = everyAttribute();
    const auto decoded = readPackage(encodeDocx(original).value());
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value(), original);
    EXPECT_EQ(readPackage(encodeDocx(Document()).value()).value(), document({ paragraph({}) }));
    EXPECT_FALSE(encodeDocx(document({ paragraph({ run("\xff") }) })));
}

TEST_F(DocxCodecTest, RefusesBrokenPackagesWithAMessage)
{
    const std::string good = documentPart("<w:p><w:r><w:t>text</w:t></w:r></w:p>");
    const std::string secret = ikw::testing::writeTestFile(home.file("secret.txt"), "SECRET");
    struct Case {
        const char* what;
        std::string package;
        std::string message;
    };
    const Case cases[] = {
        { "no main part", ikw::testing::zipBytes({ { "word/other.xml", good } }),
            "The package has no part word/document.xml: it is not a Word document." },
        { "a main part declaring 4 GB",
            ikw::testing::withDeclaredSize(ikw::testing::zipBytes({ { "word/document.xml", good } }), "word/document.xml", 0xFFFFFFF0u),
            "The package's part word/document.xml is larger than 64 MB, more than the editor opens." },
        { "malformed XML", ikw::testing::zipBytes({ { "word/document.xml", good.substr(0, good.size() - 10) } }),
            "The package's part word/document.xml is not well-formed XML." },
        { "an external entity",
            ikw::testing::zipBytes({ { "word/document.xml",
                "<!DOCTYPE w:document [<!ENTITY x SYSTEM \"file://" + secret + "\">]><w:document><w:body><w:p><w:r><w:t>&x;</w:t>"
                "</w:r></w:p></w:body></w:document>" } }),
            "The package's part word/document.xml declares a document type, which Word documents never do." },
        { "broken styles", ikw::testing::zipBytes({ { "word/document.xml", good }, { "word/styles.xml", "<w:styles><w:style>" } }),
            "The package's part word/styles.xml is not well-formed XML." },
        { "a damaged member", withDamagedData(ikw::testing::zipBytes({ { "word/document.xml", good } })), "" },
    };
    for (const Case& c : cases) {
        const auto decoded = readPackage(c.package);
        ASSERT_FALSE(decoded) << c.what;
        if (!c.message.empty()) {
            EXPECT_EQ(decoded.error(), c.message) << c.what;
        }
        EXPECT_FALSE(decoded.error().empty()) << c.what;
        EXPECT_EQ(decoded.error().find("SECRET"), std::string::npos);
    }
}

}
}
