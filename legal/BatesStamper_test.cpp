#include "legal/BatesStamper.h"

#include "legal/BatesLoadFile.h"
#include "legal/BatesManifest.h"
#include "legal/BatesStampLayout.h"
#include "legal/BatesStart.h"

#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/imaging/testing/ImageFixtures.h"
#include "platform/pdf/Document.h"
#include "platform/pdf/PageDrawingWriter.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sys/stat.h>
#include <tuple>

namespace ikw::legal::BatesStamper {
namespace {

using ikw::testing::folderEntries;
using pdf::testing::writeFixture;

struct ProgressCall {
    std::string message;
    std::int64_t index;
    std::int64_t total;
    bool operator==(const ProgressCall&) const = default;
};

// Where a label was read back from a page: its text and its baseline start in PDF points.
struct ReadLabel {
    std::string text;
    double x = 0;
    double y = 0;
};

class BatesStamperTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::mkdir(home.file("in").c_str(), 0700), 0); }

    std::string input(const std::string& name, const std::string& pdfBytes)
    {
        writeFixture(home.file(name), pdfBytes);
        return home.file(name);
    }

    std::string image(const std::string& name, int width, int height)
    {
        imaging::testing::writeImage(home.file(name), width, height, { 200, 30, 30, 255 }, { 30, 30, 200, 255 });
        return home.file(name);
    }

    BatesRunResult run(const std::vector<std::string>& files, const BatesConfig& config = {},
        std::optional<std::int64_t> start = std::nullopt, FileSystem& fileSystem = realFileSystem())
    {
        progress.clear();
        BatesRunResult result = stamp(files, out, config, start,
            [&](const std::string& message, std::int64_t index, std::int64_t total) { progress.push_back({ message, index, total }); },
            fileSystem);
        for (const BatesDocResult& doc : result.documents) {
            if (!doc.output.empty()) {
                EXPECT_TRUE(pdf::testing::qpdfCheckPasses(doc.output)) << doc.output;
            }
        }
        return result;
    }

    // The label on each page of a copy, read back from its text: the last line that carries the
    // label (the halo's eight copies come before the ink), its start from the first character
    // and its baseline from the line's lower edge. None for a page without one.
    static std::vector<ReadLabel> labelsOf(const std::string& copy, const BatesConfig& config = {})
    {
        const std::optional<pdf::Document> document = pdf::Document::openFile(copy);
        EXPECT_TRUE(document);
        std::vector<ReadLabel> labels;
        for (int index = 0; document && index < document->pageCount(); ++index) {
            const double height = document->pageSize(index, pdf::PageBox::Media)->height;
            std::optional<ReadLabel> ink;
            int copies = 0;
            for (const pdf::TextLine& line : document->pageTextLines(index)) {
                if (line.text.rfind(config.prefix, 0) != 0)
                    continue;
                ++copies;
                const pdf::TextExtent extent = pdf::measureText(pdf::StandardFont::helveticaBold, line.text, config.fontSize);
                ink = ReadLabel { line.text, line.characters.front().x0, height - line.bounds.y1 + extent.descent };
            }
            EXPECT_EQ(copies, config.halo ? 9 : 1);
            if (ink)
                labels.push_back(*ink);
        }
        return labels;
    }

    static std::vector<std::string> labelTexts(const std::string& copy)
    {
        std::vector<std::string> texts;
        for (const ReadLabel& label : labelsOf(copy))
            texts.push_back(label.text);
        return texts;
    }

    // Names, sizes and modification times of everything in the output folder.
    std::map<std::string, std::tuple<off_t, long, long>> folderState() const
    {
        std::map<std::string, std::tuple<off_t, long, long>> state;
        for (const std::string& name : folderEntries(out)) {
            struct stat status {};
            ::stat((out + "/" + name).c_str(), &status);
            state[name] = { status.st_size, status.st_mtim.tv_sec, status.st_mtim.tv_nsec };
        }
        return state;
    }

    ikw::testing::TempHome home;
    const std::string out = home.file("review/Bates-Stamped");
    std::vector<ProgressCall> progress;
};

const std::vector<std::string> manifestAndLoadFile = { std::string(csvName), std::string(manifestName) };

TEST_F(BatesStamperTest, OnlyPdfsAndImagesAreAcceptedWhateverTheCaseOfTheirExtension)
{
    const std::string pdf = input("A.PDF", pdf::testing::numberedPdf(1));
    const std::string png = image("scan.Png", 30, 20);
    const std::string text = ikw::testing::writeTestFile(home.file("notes.txt"), "notes");
    const BatesRunResult result = run({ pdf, text, png });
    EXPECT_FALSE(result.error);
    ASSERT_EQ(result.documents.size(), 2u);
    EXPECT_EQ(result.documents[0].source, pdf);
    EXPECT_EQ(result.documents[1].source, png);
    EXPECT_EQ(result.pageCount, 2);
    EXPECT_EQ(progress.size(), 3u);

    const BatesRunResult none = run({ text });
    EXPECT_EQ(none.error, std::string(noInputMessage));
    EXPECT_TRUE(none.manifestPath.empty());
    EXPECT_TRUE(progress.empty());
}

TEST_F(BatesStamperTest, RunsContinueTheFolderSkipStampedDocumentsAndRefuseUsedNumbers)
{
    const std::string b = input("in/b.pdf", pdf::testing::numberedPdf(3));
    const std::string a = input("in/a.pdf", pdf::testing::numberedPdf(2));

    const BatesRunResult first = run({ b, a });
    EXPECT_FALSE(first.error);
    EXPECT_EQ(first.stampedCount, 2);
    EXPECT_EQ(first.pageCount, 5);
    EXPECT_EQ(first.beginLabel, "ABC000001");
    EXPECT_EQ(first.endLabel, "ABC000005");
    EXPECT_EQ(first.manifestPath, out + "/" + std::string(manifestName));
    EXPECT_EQ(first.csvPath, out + "/" + std::string(csvName));
    ASSERT_EQ(first.documents.size(), 2u);
    EXPECT_EQ(first.documents[0], (BatesDocResult { b, out + "/ABC000001.pdf", 3, 1, 3, "ABC000001", "ABC000003", false, std::nullopt }));
    EXPECT_EQ(first.documents[1], (BatesDocResult { a, out + "/ABC000004.pdf", 2, 4, 5, "ABC000004", "ABC000005", false, std::nullopt }));
    EXPECT_EQ(labelTexts(out + "/ABC000001.pdf"), (std::vector<std::string> { "ABC000001", "ABC000002", "ABC000003" }));
    EXPECT_EQ(labelTexts(out + "/ABC000004.pdf"), (std::vector<std::string> { "ABC000004", "ABC000005" }));
    // The source's own text is still text on the copy.
    EXPECT_EQ(pdf::Document::openFile(out + "/ABC000001.pdf")->pageText(1).rfind("Page 2", 0), 0u);
    EXPECT_EQ(progress, (std::vector<ProgressCall> { { "Stamping b.pdf\u2026", 1, 2 }, { "Stamping a.pdf\u2026", 2, 2 },
                            { "Wrote audit manifest.", 2, 2 } }));
    const LoadedManifest manifest = loadManifest(out);
    EXPECT_EQ(manifest.manifest.nextNumber, 6);
    EXPECT_EQ(manifest.manifest.sources.at(a), "ABC000004");
    EXPECT_EQ(ikw::testing::readTestFile(first.csvPath), "BegBates,EndBates,Pages,OriginalFile,StampedFile\n"
                                                         "ABC000001,ABC000003,3,\"b.pdf\",\"ABC000001.pdf\"\n"
                                                         "ABC000004,ABC000005,2,\"a.pdf\",\"ABC000004.pdf\"\n");

    // The same list again: nothing to do, and the folder is left exactly as it was.
    const auto before = folderState();
    const BatesRunResult again = run({ b, a });
    EXPECT_EQ(again.error, std::string(allSkippedMessage));
    ASSERT_EQ(again.documents.size(), 2u);
    EXPECT_EQ(again.documents[0], (BatesDocResult { b, {}, 0, 0, 0, "ABC000001", "ABC000001", true, std::nullopt }));
    EXPECT_EQ(again.documents[1].beginLabel, "ABC000004");
    EXPECT_TRUE(again.documents[1].skipped);
    EXPECT_EQ(again.stampedCount, 0);
    EXPECT_EQ(progress.size(), 2u);
    EXPECT_EQ(folderState(), before);

    // A start inside the used numbers is refused before anything is written.
    const std::string c = input("in/c.pdf", pdf::testing::numberedPdf(1));
    const BatesRunResult refused = run({ b, a, c }, {}, 3);
    const std::string message = "Bates ABC000003 is already assigned (ABC000001\u2013ABC000005). Start at ABC000006 or later.";
    EXPECT_EQ(refused.error, message);
    EXPECT_EQ(refused.collision, message);
    EXPECT_TRUE(refused.documents.empty());
    EXPECT_TRUE(progress.empty());
    EXPECT_EQ(folderState(), before);

    // A new document added to the list continues the numbering.
    const BatesRunResult third = run({ b, a, c });
    EXPECT_FALSE(third.error);
    EXPECT_EQ(third.stampedCount, 1);
    EXPECT_EQ(third.documents[2].output, out + "/ABC000006.pdf");
    EXPECT_EQ(third.beginLabel, "ABC000006");
    EXPECT_EQ(loadManifest(out).manifest.runs.size(), 2u);
}

TEST_F(BatesStamperTest, CopiesNamedAfterTheirSourcesNeverReplaceAFile)
{
    BatesConfig config;
    config.nameByBates = false;
    const std::string pdf = input("in/report.pdf", pdf::testing::numberedPdf(1));
    const std::string png = image("in/report.png", 30, 20);
    const BatesRunResult result = run({ pdf, png }, config);
    EXPECT_FALSE(result.error);
    EXPECT_EQ(result.documents[0].output, out + "/report.pdf");
    EXPECT_EQ(result.documents[1].output, out + "/report-2.pdf");
    EXPECT_EQ(labelTexts(out + "/report-2.pdf"), (std::vector<std::string> { "ABC000002" }));
}

TEST_F(BatesStamperTest, ALockedDocumentFailsAndTheNextTakesItsNumber)
{
    const std::string first = input("in/first.pdf", pdf::testing::numberedPdf(1));
    const std::string locked = input("in/locked.pdf", pdf::testing::encryptedPdf(2, "secret"));
    const std::string last = input("in/last.pdf", pdf::testing::numberedPdf(2));
    const BatesRunResult result = run({ first, locked, last });
    EXPECT_FALSE(result.error);
    ASSERT_EQ(result.documents.size(), 3u);
    EXPECT_EQ(result.documents[1],
        (BatesDocResult { locked, {}, 0, 2, 2, "ABC000002", "ABC000002", false, std::string(documentFailedMessage) }));
    EXPECT_EQ(result.documents[2].begin, 2);
    EXPECT_EQ(result.documents[2].end, 3);
    EXPECT_EQ(folderEntries(out), (std::vector<std::string> { "ABC000001.pdf", "ABC000002.pdf", std::string(csvName),
                                      std::string(manifestName) }));
}

TEST_F(BatesStamperTest, WhatCannotBeReadFailsQuicklyAndLeavesNothing)
{
    const std::string fifo = home.file("in/pipe.pdf");
    ikw::testing::writeTestFile(home.file("in/keep"), "");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = home.file("in/folder.pdf");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string damaged = ikw::testing::writeTestFile(home.file("in/garbage.pdf"), "%PDF-1.4 nothing else");
    const std::string notAnImage = ikw::testing::writeTestFile(home.file("in/photo.jpg"), "not a photo");

    const BatesRunResult result = run({ fifo, folder, damaged, notAnImage, home.file("in/missing.pdf") });
    EXPECT_EQ(result.error, std::string(nothingStampedMessage));
    EXPECT_EQ(result.documents.size(), 5u);
    for (const BatesDocResult& doc : result.documents)
        EXPECT_EQ(doc.error, std::string(documentFailedMessage));
    EXPECT_TRUE(folderEntries(out).empty());
}

TEST_F(BatesStamperTest, ACopyThatFailsMidwayLeavesNoFile)
{
    // The document grows from 1 to 3 pages once the run has counted the numbers it may use: its
    // copy is written whole, then refused, and removed.
    const std::string growing = input("in/growing.pdf", pdf::testing::numberedPdf(1));
    const BatesRunResult result = stamp({ growing }, out, {}, std::nullopt, [&](const std::string&, std::int64_t, std::int64_t) {
        writeFixture(growing, pdf::testing::numberedPdf(3));
    });
    EXPECT_EQ(result.error, std::string(nothingStampedMessage));
    EXPECT_EQ(result.documents[0].error, std::string(documentFailedMessage));
    EXPECT_TRUE(folderEntries(out).empty());
}

TEST_F(BatesStamperTest, AFailedManifestOrLoadFileWriteIsTheRunsError)
{
    const std::string pdf = input("in/a.pdf", pdf::testing::numberedPdf(2));
    FaultyFileSystem faulty;
    faulty.fail(FaultyFileSystem::Operation::Replace, std::string(manifestName));
    const BatesRunResult result = run({ pdf }, {}, std::nullopt, faulty);
    EXPECT_EQ(result.error, std::string(manifestNotSavedMessage));
    EXPECT_EQ(result.stampedCount, 1);
    EXPECT_EQ(progress.size(), 1u); // no "Wrote audit manifest."
    EXPECT_EQ(folderEntries(out), (std::vector<std::string> { "ABC000001.pdf" }));

    const std::string other = input("in/b.pdf", pdf::testing::numberedPdf(1));
    FaultyFileSystem noLoadFile;
    noLoadFile.fail(FaultyFileSystem::Operation::Replace, std::string(csvName));
    const BatesRunResult second = run({ other }, {}, 10, noLoadFile);
    EXPECT_EQ(second.error, std::string(loadFileNotSavedMessage));
    EXPECT_EQ(progress.size(), 1u);
    EXPECT_EQ(loadManifest(out).manifest.nextNumber, 11);
}

TEST_F(BatesStamperTest, RefusedRunsWriteNothing)
{
    const std::string pdf = input("in/a.pdf", pdf::testing::numberedPdf(1));
    ikw::testing::writeTestFile(out + "/" + std::string(manifestName), "{ damaged");
    const BatesRunResult unreadable = run({ pdf });
    EXPECT_EQ(unreadable.error, std::string(unreadableManifestMessage));
    EXPECT_FALSE(unreadable.collision);
    EXPECT_TRUE(progress.empty());
    EXPECT_EQ(folderEntries(out), (std::vector<std::string> { std::string(manifestName) }));

    BatesConfig config;
    config.fontSize = std::nan("");
    const std::string elsewhere = home.file("elsewhere");
    EXPECT_EQ(stamp({ pdf }, elsewhere, config, std::nullopt).error, std::string(badLabelSettingsMessage));
    EXPECT_TRUE(folderEntries(home.file("")).size() > 0);
    struct stat status {};
    EXPECT_NE(::stat(elsewhere.c_str(), &status), 0);

    ikw::testing::writeTestFile(home.file("file"), "");
    EXPECT_EQ(stamp({ pdf }, home.file("file"), {}, std::nullopt).error, std::string(folderFailedMessage));
}

TEST_F(BatesStamperTest, APathThatIsNotUtf8RefusesTheRunBeforeAnythingIsWritten)
{
    // Two names that differ only in bytes that are not UTF-8 would be one key of the manifest.
    const std::string first = input("in/scan-\xe9.pdf", pdf::testing::numberedPdf(1));
    const std::string second = input("in/scan-\xe8.pdf", pdf::testing::numberedPdf(1));
    const std::string valid = input("in/ok.pdf", pdf::testing::numberedPdf(1));
    const BatesRunResult result = run({ valid, first, second });
    EXPECT_EQ(result.error, std::string(nonUtf8PathMessage) + home.file("in/scan-\\xE9.pdf"));
    EXPECT_EQ(result.stampedCount, 0);
    EXPECT_TRUE(progress.empty());
    struct stat status {};
    EXPECT_NE(::stat(out.c_str(), &status), 0);

    EXPECT_EQ(stamp({ valid }, home.file("out-\xff"), {}, std::nullopt).error,
        std::string(nonUtf8PathMessage) + home.file("out-\\xFF"));
}

TEST_F(BatesStamperTest, APrefixWithAPathStaysInsideTheFolder)
{
    BatesConfig config;
    config.prefix = "../x";
    const std::string pdf = input("in/a.pdf", pdf::testing::numberedPdf(1));
    const BatesRunResult result = run({ pdf }, config);
    EXPECT_FALSE(result.error);
    EXPECT_EQ(result.documents[0].output, out + "/_._x000001.pdf");
    EXPECT_EQ(folderEntries(home.file("review")), (std::vector<std::string> { "Bates-Stamped" }));
    EXPECT_EQ(labelsOf(result.documents[0].output, config).at(0).text, "../x000001");
}

TEST_F(BatesStamperTest, ARotatedPageBecomesUprightWithTheLabelInTheChosenCorner)
{
    const std::string pdf = input("in/turned.pdf", pdf::testing::numberedPdf({ { pdf::kLetterPage, 90 } }));
    for (const BatesPosition position : allBatesPositions) {
        SCOPED_TRACE(std::string(rawValue(position)));
        BatesConfig config;
        config.position = position;
        config.nameByBates = false;
        const BatesRunResult result = stamp({ pdf }, home.file(std::string("out-") + std::string(rawValue(position))), config, 1);
        ASSERT_FALSE(result.error);
        const std::optional<pdf::Document> copy = pdf::Document::openFile(result.documents[0].output);
        EXPECT_EQ(copy->pageRotation(0), 0);
        EXPECT_EQ(*copy->pageBox(0, pdf::PageBox::Media), (pdf::Rect { 0, 0, 792, 612 }));
        const pdf::TextExtent extent = pdf::measureText(pdf::StandardFont::helveticaBold, "ABC000001", 10);
        const StampPoint expected = stampPosition(792, 612, extent.width, extent.ascent, extent.descent, config);
        const std::vector<ReadLabel> labels = labelsOf(result.documents[0].output);
        ASSERT_EQ(labels.size(), 1u);
        EXPECT_NEAR(labels[0].x, expected.x, 0.5);
        EXPECT_NEAR(labels[0].y, expected.y, 0.5);
    }
}

TEST_F(BatesStamperTest, ImagesBecomeOnePageOfTheirPixelSize)
{
    const std::string large = image("in/large.png", 3000, 2000);
    const std::string tiny = image("in/tiny.png", 20, 20);
    const std::string heic = home.file("in/photo.heic");
    const bool haveHeic = imaging::testing::writeHeic(heic, 64, 48, { 200, 30, 30, 255 }, { 30, 30, 200, 255 });
    std::vector<std::string> files = { large, tiny };
    if (haveHeic)
        files.push_back(heic);
    const BatesRunResult result = run(files);
    ASSERT_FALSE(result.error);
    ASSERT_EQ(result.documents.size(), files.size());

    const std::optional<pdf::Document> copy = pdf::Document::openFile(result.documents[0].output);
    ASSERT_EQ(copy->pageCount(), 1);
    EXPECT_EQ(*copy->pageBox(0, pdf::PageBox::Media), (pdf::Rect { 0, 0, 3000, 2000 }));
    EXPECT_EQ(labelTexts(result.documents[0].output), (std::vector<std::string> { "ABC000001" }));
    // A label wider than the page starts 2 points in.
    const std::vector<ReadLabel> tinyLabels = labelsOf(result.documents[1].output);
    ASSERT_EQ(tinyLabels.size(), 1u);
    EXPECT_NEAR(tinyLabels[0].x, 2, 0.5);
    if (haveHeic) {
        EXPECT_EQ(*pdf::Document::openFile(result.documents[2].output)->pageBox(0, pdf::PageBox::Media), (pdf::Rect { 0, 0, 64, 48 }));
    }
}

TEST_F(BatesStamperTest, PdfsOfOtherProgramsAreStampedPageForPage)
{
    const std::string path = "/usr/share/doc/libtasn1-doc/libtasn1.pdf";
    const std::optional<pdf::Document> source = pdf::Document::openFile(path);
    if (!source)
        GTEST_SKIP() << path << " is not installed";
    const BatesRunResult result = run({ path });
    ASSERT_FALSE(result.error);
    EXPECT_EQ(result.pageCount, source->pageCount());
    const std::optional<pdf::Document> copy = pdf::Document::openFile(result.documents[0].output);
    EXPECT_NE(copy->pageText(0).find("Libtasn1"), std::string::npos);
}

}
}
