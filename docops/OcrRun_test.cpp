#include "docops/OcrRun.h"

#include "app/Globals.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/ocr/TesseractRecognizer.h"
#include "platform/ocr/fake/FakeRecognizer.h"
#include "platform/ocr/testing/PrintedText.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace ikw::docops {
namespace {

class OcrRunTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes) { return ikw::testing::writeTestFile(home.file(name), bytes); }

    ikw::testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    ocr::fake::FakeRecognizer fake;
};

TEST_F(OcrRunTest, AScannedPageReadsBackItsPrintedText)
{
    ocr::TesseractRecognizer recognizer;
    const std::string scan = write("scan.pdf", ocr::testing::scannedPdf({ { "INVOICE 2024" } }));
    const auto records = runOCRDoc(scan, recognizer);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].page, 1);
    EXPECT_NE(records[0].text.find("INVOICE"), std::string::npos) << records[0].text;
}

TEST_F(OcrRunTest, RecognisesTheFirstThousandPagesAtTwiceTheirSize)
{
    const std::vector<pdf::testing::FixturePage> pages(1200, pdf::testing::FixturePage { .mediaBox = { 0, 0, 40, 30 } });
    const std::string big = write("big.pdf", pdf::testing::numberedPdf(pages));
    int reported = 0;
    const auto records = runOCRDoc(big, fake, [&](int done, int total) {
        EXPECT_EQ(done, ++reported);
        EXPECT_EQ(total, kMaxOcrPages);
    });
    ASSERT_EQ(records.size(), 1000u);
    for (std::size_t index = 0; index < records.size(); ++index)
        ASSERT_EQ(records[index], (OcrPageRecord { static_cast<int>(index) + 1, "80x60" }));
    EXPECT_EQ(fake.images(), 1000);
    EXPECT_EQ(reported, 1000);
}

TEST_F(OcrRunTest, APageTooLargeToDrawGivesAnEmptyRecord)
{
    const std::string mixed = write("mixed.pdf", pdf::testing::numberedPdf({ { .mediaBox = { 0, 0, 14400, 14400 } }, { .mediaBox = { 0, 0, 50, 20 } } }));
    EXPECT_EQ(runOCRDoc(mixed, fake), (std::vector<OcrPageRecord> { { 1, "" }, { 2, "100x40" } }));
}

TEST_F(OcrRunTest, UnreadableFilesGiveNoRecords)
{
    const std::string fifo = home.file("pipe.pdf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string paths[] = {
        write("locked.pdf", pdf::testing::encryptedPdf(2, "secret")),
        write("garbage.pdf", "%PDF-1.4 nothing more"),
        write("truncated.pdf", pdf::testing::numberedPdf(3).substr(0, 40)),
        home.file("missing.pdf"),
        home.path(),
        fifo,
    };
    for (const std::string& path : paths)
        EXPECT_TRUE(runOCRDoc(path, fake).empty()) << path;
    EXPECT_EQ(fake.images(), 0);
}

TEST_F(OcrRunTest, TheCacheFileIsCompactAndReadsBack)
{
    const std::string scan = write("scan.pdf", "%PDF-1.4 pretend");
    ASSERT_TRUE(ocrCacheWrite(scan, { { 1, "first" }, { 2, "" }, { 3, "third \"quoted\"" } }));
    const std::string file = ocrCacheFolder() + "/" + ocrCacheKey(scan).value() + ".json";
    EXPECT_EQ(realFileSystem().readFile(file),
        "{\"pages\":[{\"page\":1,\"text\":\"first\"},{\"page\":2,\"text\":\"\"},{\"page\":3,\"text\":\"third \\\"quoted\\\"\"}],\"path\":\""
            + scan + "\"}");
    EXPECT_EQ(ocrCacheRead(scan), (OcrPageTexts { { 1, "first" }, { 3, "third \"quoted\"" } }));
    EXPECT_FALSE(ocrCacheWrite(home.file("missing.pdf"), { { 1, "text" } }));
}

TEST_F(OcrRunTest, AFailedCacheWriteLeavesThePreviousFileWhole)
{
    const std::string scan = write("scan.pdf", "%PDF-1.4 pretend");
    ASSERT_TRUE(ocrCacheWrite(scan, { { 1, "before" } }));
    FaultyFileSystem faulty;
    faulty.fail(FaultyFileSystem::Operation::Replace);
    faulty.fail(FaultyFileSystem::Operation::Write);
    EXPECT_FALSE(ocrCacheWrite(scan, { { 1, "after" } }, faulty));
    EXPECT_EQ(ocrCacheRead(scan), (OcrPageTexts { { 1, "before" } }));
    const auto calls = faulty.calls();
    EXPECT_TRUE(std::none_of(calls.begin(), calls.end(), [](const std::string& call) { return call.starts_with("write "); }));
}

}
}
