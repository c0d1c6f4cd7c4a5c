#include "crossdoc/TextExtractors.h"

#include "crossdoc/RegularFile.h"

#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace ikw::crossdoc {
namespace {

using Chunks = std::vector<Chunk>;
using pdf::testing::TextFixturePage;

class PdfExtractorTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes) { return testing::writeTestFile(home.file(name), bytes); }

    testing::TempHome home;
};

TEST_F(PdfExtractorTest, GivesEveryPageWithTextOnceOnePageHasALayer)
{
    std::vector<TextFixturePage> pages(6);
    pages[1].lines = { "Tiny" };                 // short pages count once the document has a layer
    pages[4].lines = { "The text of page five" };
    const std::string path = write("five.pdf", pdf::testing::textPdf(pages));
    int lookups = 0;
    const Chunks chunks = extractPDF(path, [&](const std::string&) { ++lookups; return std::nullopt; });
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].atype, "page");
    EXPECT_EQ(chunks[0].anchor, "2");
    EXPECT_EQ(chunks[0].page, 2);
    EXPECT_EQ(chunks[0].body.find("Tiny"), 0u);
    EXPECT_EQ(chunks[1].anchor, "5");
    EXPECT_EQ(chunks[1].page, 5);
    EXPECT_NE(chunks[1].body.find("The text of page five"), std::string::npos);
    EXPECT_EQ(chunks[1].body.back(), '\n') << "the page's text as the PDF gives it, not trimmed";
    EXPECT_EQ(lookups, 0) << "the OCR text is asked for scanned documents only";
}

TEST_F(PdfExtractorTest, ScannedDocumentsTakeTheirTextFromTheOcrHook)
{
    // Six characters a page ("Page 1", ...) are no text layer.
    const std::string path = write("scan.pdf", pdf::testing::numberedPdf(3));
    EXPECT_EQ(extractPDF(path, nullptr), Chunks {});
    EXPECT_EQ(extractPDF(path, [](const std::string&) { return std::nullopt; }), Chunks {});
    std::string askedFor;
    const Chunks chunks = extractPDF(path, [&](const std::string& asked) {
        askedFor = asked;
        return docops::OcrPageTexts { { 1, "recognised one" }, { 2, "" }, { 3, "recognised three" } };
    });
    EXPECT_EQ(askedFor, path);
    EXPECT_EQ(chunks, (Chunks { { "page", "1", 1, "recognised one" }, { "page", "3", 3, "recognised three" } }));
}

TEST_F(PdfExtractorTest, LockedDamagedAndOddFilesGiveNothing)
{
    const auto ocr = [](const std::string&) { return docops::OcrPageTexts { { 1, "should not be used" } }; };
    EXPECT_EQ(extractPDF(write("locked.pdf", pdf::testing::encryptedPdf(2, "secret")), ocr), Chunks {});
    EXPECT_EQ(extractPDF(write("junk.pdf", "%PDF-1.7 nothing else"), nullptr), Chunks {});
    EXPECT_EQ(extractPDF(home.file("absent.pdf"), ocr), Chunks {});
    const std::string fifo = home.file("pipe.pdf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(extractPDF(fifo, ocr), Chunks {});
    // A damaged but repairable file is read like any other.
    EXPECT_EQ(extractPDF(write("repaired.pdf", pdf::testing::damagedPdf(2)), ocr), (Chunks { { "page", "1", 1, "should not be used" } }));
}

TEST_F(PdfExtractorTest, ReadsARealDocument)
{
    const std::string real = "/usr/share/doc/shared-mime-info/shared-mime-info-spec.pdf";
    if (!isRegularFile(real))
        GTEST_SKIP() << "no PDF installed at " << real;
    const Chunks chunks = extractChunks(real, "pdf");
    ASSERT_GT(chunks.size(), 3u);
    EXPECT_EQ(chunks.front().anchor, "1");
    bool mentionsMime = false;
    for (const Chunk& chunk : chunks)
        mentionsMime = mentionsMime || chunk.body.find("MIME") != std::string::npos;
    EXPECT_TRUE(mentionsMime);
}

}
}
