#include "platform/core/RtfPlainText.h"
#include "platform/core/RtfReader.h"
#include "platform/core/RtfTokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ikw {
namespace {

TEST(RtfTokenizer, CutsWordsSymbolsEscapesAndText)
{
    RtfTokenizer tokens("{\\b0 x\\fs-24\\'e9\\\\\r\n\\bin3 {}\\y}z\\");
    std::vector<std::string> seen;
    for (RtfToken token = tokens.next(); token.kind != RtfToken::Kind::End; token = tokens.next()) {
        switch (token.kind) {
        case RtfToken::Kind::GroupStart: seen.push_back("{"); break;
        case RtfToken::Kind::GroupEnd: seen.push_back("}"); break;
        case RtfToken::Kind::ControlWord:
            seen.push_back("\\" + std::string(token.text) + (token.parameter ? std::to_string(*token.parameter) : ""));
            break;
        case RtfToken::Kind::ControlSymbol: seen.push_back(std::string("sym ") + token.symbol); break;
        case RtfToken::Kind::HexByte: seen.push_back("hex " + std::to_string(token.byte)); break;
        case RtfToken::Kind::Text: seen.push_back("text " + std::string(token.text)); break;
        case RtfToken::Kind::Binary: seen.push_back("bin " + std::string(token.text)); break;
        case RtfToken::Kind::End: break;
        }
    }
    // The space after a word belongs to it; line ends are no text; \bin data is taken raw, braces too.
    EXPECT_EQ(seen, (std::vector<std::string> { "{", "\\b0", "text x", "\\fs-24", "hex 233", "sym \\", "\\bin3", "bin {}\\", "text y", "}", "text z" }));
}

TEST(RtfPlainText, DecodesTheBody)
{
    struct Case {
        const char* name;
        std::string rtf;
        std::string text;
    };
    const Case cases[] = {
        { "code page escape and unicode with its replacement skipped",
            "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Helvetica;}}caf\\'e9 \\u8364?}", "caf\u00e9 \u20ac" },
        { "optional destination", "{\\rtf1{\\*\\generator x}a}", "a" },
        { "tables and headers skipped", "{\\rtf1{\\colortbl;\\red0;}{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}{\\header H}{\\footer F}{\\pict 0102}b}", "b" },
        { "paragraphs, lines and special characters", "{\\rtf1 one\\par two\\line three\\tab four\\emdash\\~\\{\\}\\\\\\par}",
            "one\ntwo\nthree\tfour\u2014\u00a0{}\\\n" },
        { "another code page", "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}", "\u041f\u0440\u0438" },
        { "a double-byte code page keeps its pairs", "{\\rtf1\\ansi\\ansicpg932 \\'93\\'fa\\'96\\'7b}", "\u65e5\u672c" },
        { "\\ucN sets how much follows \\uN", "{\\rtf1\\uc2\\u955 xyz{\\uc0\\u956 a}\\u957 bcd}", "\u03bbz\u03bca\u03bdd" },
        { "negative \\uN and surrogate pairs", "{\\rtf1\\u-3?\\u-10179?\\u-8704?}", "\ufffd\U0001F600" },
        { "a field shows its result", "{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}}", "link" },
        { "cut inside an escape", "{\\rtf1 abc\\'e", "abc" },
        { "cut inside a group", "{\\rtf1 abc{\\b de", "abcde" },
        { "text after the document's group is not read", "{\\rtf1 a}}b{c}", "a" },
        { "table rows end with an empty line", "{\\rtf1 a\\cell b\\cell\\row c\\cell\\row}", "a\nb\n\nc\n\n" },
        { "leading white space", "\r\n {\\rtf1 x}", "x" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(rtfPlainText(c.rtf), c.text) << c.name;
}

TEST(RtfPlainText, RefusesWhatIsNoRtf)
{
    for (const std::string bytes : { "", "plain text", "{\\rt", "{\\pict}", "\\rtf1 x" })
        EXPECT_EQ(rtfPlainText(bytes), std::nullopt) << bytes;
}

TEST(RtfPlainText, DeepNestingAndStrayBracesEndCleanly)
{
    std::string deep = "{\\rtf1 ";
    for (int level = 0; level < 10000; ++level)
        deep += "{\\b x";
    EXPECT_EQ(rtfPlainText(deep), std::string(10000, 'x'));
    for (int level = 0; level < 10000; ++level)
        deep += "}";
    deep += " y}";
    EXPECT_EQ(rtfPlainText(deep), std::string(10000, 'x') + " y");
    // A million opening braces: memory stays bounded.
    EXPECT_EQ(rtfPlainText("{\\rtf1 " + std::string(1000000, '{') + "z"), "z");
    EXPECT_EQ(rtfPlainText("{\\rtf1 a}}}}"), "a");
}

// The handler sees formatting words and groups of the body, not those of skipped destinations.
TEST(RtfReader, PassesFormattingWordsAndGroups)
{
    class Recorder final : public RtfReaderHandler {
    public:
        void text(std::string_view utf8) override { log += std::string(utf8); }
        void controlWord(std::string_view word, std::optional<int> parameter) override
        {
            log += "\\" + std::string(word) + (parameter ? std::to_string(*parameter) : "") + ";";
        }
        void groupStart() override { log += "{"; }
        void groupEnd() override { log += "}"; }
        std::string log;
    } recorder;
    EXPECT_TRUE(readRtf("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs24 a{\\b b}\\par}", recorder));
    EXPECT_EQ(recorder.log, "\\rtf1;\\f0;\\fs24;a{\\b;b}\\par;");
}

// The font and colour tables come through their own calls, decoded, whatever their layout.
TEST(RtfReader, ReportsTheFontAndColourTables)
{
    class Tables final : public RtfReaderHandler {
    public:
        void text(std::string_view utf8) override { body += std::string(utf8); }
        void fontTableEntry(int number, std::string_view name) override { fonts += std::to_string(number) + "=" + std::string(name) + "|"; }
        void colorTableEntry(std::optional<RtfColor> color) override
        {
            colors += color ? std::to_string(color->red) + "," + std::to_string(color->green) + "," + std::to_string(color->blue) + "|" : "auto|";
        }
        std::string body, fonts, colors;
    } tables;
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
                            "{\\f1\\froman{\\*\\panose 02020603050405020304}Times New Roman{\\*\\falt Tms};}"
                            "{\\f2 Caf\\'e9 \\u8364?}\\f3 Loose One;\\f4 Loose Two;}"
                            "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue300;}body}";
    ASSERT_TRUE(readRtf(rtf, tables));
    EXPECT_EQ(tables.fonts, "0=Arial|1=Times New Roman|2=Caf\u00e9 \u20ac|3=Loose One|4=Loose Two|");
    EXPECT_EQ(tables.colors, "auto|255,0,0|0,128,255|");
    EXPECT_EQ(tables.body, "body") << "table entries are no body text";
}

TEST(RtfReader, TellsWhetherTheDocumentClosedAndHowDeepItNested)
{
    class Ignore final : public RtfReaderHandler {
    public:
        void text(std::string_view) override { }
    } ignore;
    const auto closed = readRtfDocument("{\\rtf1 a{\\b b{\\i c}}}", ignore);
    ASSERT_TRUE(closed);
    EXPECT_TRUE(closed->closed);
    EXPECT_EQ(closed->deepestGroup, 3u);
    const auto cut = readRtfDocument("{\\rtf1 a{\\b b", ignore);
    ASSERT_TRUE(cut);
    EXPECT_FALSE(cut->closed);
    const auto deep = readRtfDocument("{\\rtf1 " + std::string(100000, '{') + std::string(100001, '}'), ignore);
    ASSERT_TRUE(deep);
    EXPECT_TRUE(deep->closed);
    EXPECT_EQ(deep->deepestGroup, 100001u);
    EXPECT_FALSE(readRtfDocument("not rtf", ignore));
}

}
}
