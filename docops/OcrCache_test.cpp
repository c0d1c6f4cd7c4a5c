#include "docops/OcrCache.h"

#include "app/Globals.h"
#include "docops/TextLayer.h"
#include "platform/core/Identifiers.h"
#include "platform/pdf/Document.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

namespace ikw::docops {
namespace {

class OcrCacheTest : public ::testing::Test {
protected:
    std::string writeCache(const std::string& path, const std::string& json)
    {
        return ikw::testing::writeTestFile(ocrCacheFolder() + "/" + ocrCacheKey(path).value() + ".json", json);
    }

    ikw::testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    const std::string pdf = ikw::testing::writeTestFile(home.file("scan.pdf"), "%PDF-1.4 pretend");
};

TEST_F(OcrCacheTest, TheKeyIsTheHashOfPathDateAndSize)
{
    const utimbuf times { 1700000000, 1700000123 };
    ASSERT_EQ(::utime(pdf.c_str(), &times), 0);
    EXPECT_EQ(ocrCacheKey(pdf), sha256Hex(pdf + "|1700000123|16"));
    EXPECT_EQ(ocrCacheKey(home.file("missing.pdf")), std::nullopt);
    EXPECT_EQ(ocrCacheFolder(), home.path() + "/.local/share/Inkwarden/ocr");
}

TEST_F(OcrCacheTest, ReadsUsableEntriesOnly)
{
    writeCache(pdf, R"({"path":"x","pages":[{"page":1,"text":"first"},{"page":2,"text":""},{"page":"3","text":"quoted"},
        {"page":4.5,"text":"fraction"},{"text":"no page"},{"page":5},{"page":6,"text":7},{"page":1,"text":"again"},
        {"page":7,"text":"seventh"}]})");
    EXPECT_EQ(ocrCacheRead(pdf), (OcrPageTexts { { 1, "again" }, { 7, "seventh" } }));
}

TEST_F(OcrCacheTest, NothingUsableReadsAsNone)
{
    const char* contents[] = {
        R"({"pages":[{"page":1,"text":""}]})",
        R"({"pages":[]})",
        R"({"pages":[{"page":1,"text":"a"}, 3]})",
        R"({"pages":{"page":1}})",
        R"([{"page":1,"text":"a"}])",
        "not json",
    };
    for (const char* json : contents) {
        writeCache(pdf, json);
        EXPECT_EQ(ocrCacheRead(pdf), std::nullopt) << json;
    }
    EXPECT_EQ(ocrCacheRead(home.file("missing.pdf")), std::nullopt);
}

TEST_F(OcrCacheTest, ATouchedFileReadsNothingUntilRecognisedAgain)
{
    writeCache(pdf, R"({"pages":[{"page":1,"text":"recognised"}]})");
    ASSERT_TRUE(ocrCacheRead(pdf));
    const utimbuf later { 1800000000, 1800000000 };
    ASSERT_EQ(::utime(pdf.c_str(), &later), 0);
    EXPECT_EQ(ocrCacheRead(pdf), std::nullopt);
}

TEST(TextLayer, EightCharactersOfTextMakeALayer)
{
    using pdf::testing::TextFixturePage;
    struct Case {
        std::vector<TextFixturePage> pages;
        bool expected;
    };
    const Case cases[] = {
        { { TextFixturePage { { "   abcdefg   " } } }, false },
        { { TextFixturePage { { "   abcdefgh   " } } }, true },
        { { TextFixturePage { { "abc" } }, TextFixturePage {}, TextFixturePage { { "later page" } } }, true },
        // Nine bytes but seven characters, then eight.
        { { TextFixturePage { { "\u00e9t\u00e9 caf" } } }, false },
        { { TextFixturePage { { "\u00e9t\u00e9 cafe" } } }, true },
        { { TextFixturePage {} }, false },
    };
    for (const Case& c : cases) {
        const auto document = pdf::Document::fromBytes(pdf::testing::textPdf(c.pages));
        ASSERT_TRUE(document);
        EXPECT_EQ(docHasTextLayer(*document), c.expected) << document->pageText(0);
    }
}

}
}
