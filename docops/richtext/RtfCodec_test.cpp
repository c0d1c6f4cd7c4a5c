#include "docops/richtext/RtfCodec.h"

#include "docops/richtext/testing/RichTextTesting.h"

#include <gtest/gtest.h>

namespace ikw::richtext {
namespace {

using namespace testing;

RunAttributes attributes(std::string font, double size)
{
    RunAttributes attributes;
    attributes.fontFamily = std::move(font);
    attributes.pointSize = size;
    return attributes;
}

TEST(RtfCodec, DecodesCodePageEscapesAndUnicodeAndSkipsUnknownDestinations)
{
    const auto decoded = decodeRtf("{\\rtf1\\ansi\\ansicpg1252 \\'e9\\u8364?{\\*\\unknowndestination secret {\\b text}}}");
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value(), document({ paragraph({ run("\u00e9\u20ac") }) }));
}

// A document as a word processor writes it: header, tables, formatting words in groups and out.
TEST(RtfCodec, ReadsTheAttributesTheModelHolds)
{
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033"
                            "{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}{\\f1\\fswiss\\fcharset0 Arial;}}"
                            "{\\colortbl;\\red255\\green0\\blue0;\\red255\\green255\\blue0;\\red0\\green0\\blue255;}"
                            "{\\*\\generator Writer 1.0;}{\\info{\\title Secret title}}"
                            "\\viewkind4\\uc1\\pard\\qc\\f1\\fs32\\b Title\\b0\\par\n"
                            "\\pard\\fs24 plain {\\i italic {\\ul under\\ulnone lined}} back\\tab tab\\line next\\par\n"
                            "\\pard\\qr {\\cf1 red}{\\highlight2 marked}{\\cb3\\cf0 blue back}{\\highlight0 none}\\par\n"
                            "\\pard\\qj\\plain justified, font 0\\par\n"
                            "{\\field{\\*\\fldinst HYPERLINK \"https://example.com\"}{\\fldrslt link}}{\\pict\\pngblip 89504e47}\\par\n"
                            "\\trowd\\cellx1000\\cellx2000\\pard\\intbl A1\\cell B1\\cell\\row\n"
                            "\\pard last}";
    const auto decoded = decodeRtf(rtf);
    ASSERT_TRUE(decoded) << decoded.error();

    RunAttributes title = attributes("Arial", 16);
    title.bold = true;
    const RunAttributes body = attributes("Arial", 12);
    RunAttributes italic = body;
    italic.italic = true;
    RunAttributes underlined = italic;
    underlined.underline = true;
    RunAttributes red = body;
    red.foreground = Color { 255, 0, 0, 255 };
    RunAttributes marked = body;
    marked.background = Color { 255, 255, 0, 255 };
    RunAttributes blueBack = body;
    blueBack.background = Color { 0, 0, 255, 255 };
    RunAttributes plain;
    plain.fontFamily = "Times New Roman";
    const Document expected = document({
        paragraph({ run("Title", title) }, Alignment::Center),
        paragraph({ run("plain ", body), run("italic ", italic), run("under", underlined), run("lined", italic),
                      run(" back\ttab\u2028next", body) }),
        paragraph({ run("red", red), run("marked", marked), run("blue back", blueBack), run("none", body) }, Alignment::Right),
        paragraph({ run("justified, font 0", plain) }, Alignment::Justified),
        paragraph({ run("link", plain) }, Alignment::Justified),
        paragraph({ run("A1", plain) }),
        paragraph({ run("B1", plain) }),
        paragraph({ run("last", plain) }),
    });
    EXPECT_EQ(decoded.value(), expected);
}

TEST(RtfCodec, WritingAndReadingBackKeepsEveryAttribute)
{
    const Document original = everyAttribute();
    const auto rtf = encodeRtf(original);
    ASSERT_TRUE(rtf) << rtf.error();
    EXPECT_TRUE(rtf.value().starts_with("{\\rtf1\\ansi\\ansicpg1252")) << rtf.value();
    for (const char c : rtf.value())
        ASSERT_TRUE(static_cast<unsigned char>(c) < 0x80) << "everything outside ASCII is written as \\uN";
    const auto decoded = decodeRtf(rtf.value());
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value(), original) << rtf.value();
}

TEST(RtfCodec, WritesWhatTheFormatCanHold)
{
    RunAttributes translucent;
    translucent.foreground = Color { 10, 20, 30, 128 }; // written opaque
    translucent.background = Color { 1, 2, 3, 0 };      // no colour at all
    translucent.pointSize = 11.3;                        // to half points
    const auto decoded = decodeRtf(encodeRtf(document({ paragraph({ run("x", translucent) }) })).value());
    ASSERT_TRUE(decoded);
    RunAttributes expected;
    expected.foreground = Color { 10, 20, 30, 255 };
    expected.pointSize = 11.5;
    EXPECT_EQ(decoded.value(), document({ paragraph({ run("x", expected) }) }));
    EXPECT_EQ(decodeRtf(encodeRtf(Document()).value()).value(), document({ paragraph({}) }));
    EXPECT_FALSE(encodeRtf(document({ paragraph({ run("\xC3") }) })));
}

TEST(RtfCodec, RefusesMalformedDocumentsWithAMessage)
{
    const std::string deep = "{\\rtf1 " + std::string(100000, '{') + "x" + std::string(100001, '}');
    const std::string cases[] = {
        "",
        "plain text, no RTF",
        "{\\rtf1 unbalanced {\\b braces}",
        "{\\rtf1 cut inside an escape\\'e",
        deep,
        "{\\rtf1 " + std::string(1000000, '{'),
    };
    for (const std::string& rtf : cases) {
        const auto decoded = decodeRtf(rtf);
        EXPECT_FALSE(decoded) << rtf.substr(0, 60);
        EXPECT_FALSE(decoded.error().empty());
    }
    EXPECT_EQ(decodeRtf(deep).error(), "The RTF document nests groups more than 500 deep, which no real document does.");
    EXPECT_EQ(decodeRtf("{\\rtf1 {").error(), "The RTF document is cut short: its groups are not all closed.");
}

}
}
