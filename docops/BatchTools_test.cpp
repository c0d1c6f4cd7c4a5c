// The batch tools as the review pages run them: outputs beside the inputs under free names, the
// page's progress and result, the blank-page test, and zipping a file or folder.

#include "docops/BatchTools.h"
#include "docops/BlankPages.h"
#include "docops/testing/PageOpHarness.h"
#include "platform/core/ZipArchive.h"
#include "platform/pdf/Document.h"
#include "platform/pdf/PageImage.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/pdf/testing/RichPdf.h"
#include "platform/ui/PageScript.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace ikw::docops {
namespace {

using ikw::testing::folderEntries;
using ikw::testing::readTestFile;
using Strings = std::vector<std::string>;

std::string stream(const std::string& dictionary, const std::string& content)
{
    return "<< " + dictionary + " /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
}

// Three pages reading "Page 1", nothing but spaces with two hairlines, and "Page 3".
std::string pdfWithBlankMiddle()
{
    const std::string font = "/Resources << /Font << /F1 3 0 R >> >>";
    return pdf::testing::objectsPdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [4 0 R 6 0 R 8 0 R] /Count 3 /MediaBox [0 0 612 792] >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
        "<< /Type /Page /Parent 2 0 R /Contents 5 0 R " + font + " >>",
        stream("", "BT /F1 24 Tf 72 700 Td (Page 1) Tj ET"),
        "<< /Type /Page /Parent 2 0 R /Contents 7 0 R " + font + " >>",
        stream("", "BT /F1 12 Tf 72 700 Td (    ) Tj ET 0.4 w 72 400 m 300 400 l S 72 200 m 200 200 l S"),
        "<< /Type /Page /Parent 2 0 R /Contents 9 0 R " + font + " >>",
        stream("", "BT /F1 24 Tf 72 700 Td (Page 3) Tj ET"),
    });
}

std::string allBlankPdf()
{
    return pdf::testing::objectsPdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /MediaBox [0 0 612 792] >>",
        "<< /Type /Page /Parent 2 0 R >>",
        "<< /Type /Page /Parent 2 0 R >>",
    });
}

// A compressor that writes `size` bytes whatever the document.
PdfCompressor sized(std::size_t size)
{
    return [size](pdf::Document&) { return std::optional<std::string>(std::string(size, '%')); };
}

class BatchTools : public ::testing::Test {
protected:
    std::string fixture(const std::string& name, const std::string& bytes)
    {
        const std::string path = h.file(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        pdf::testing::writeFixture(path, bytes);
        return path;
    }

    BatchToolOptions options(PdfCompressor compressor = compressForScreen)
    {
        BatchToolOptions chosen;
        chosen.compressor = std::move(compressor);
        chosen.temporaryFolder = [folder = h.file("tmp")] {
            std::filesystem::create_directories(folder);
            return std::optional<std::string>(folder);
        };
        return chosen;
    }

    // Runs the action over the paths and gives what the page was sent.
    Strings run(const std::string& op, const Strings& paths, const BatchToolOptions& chosen)
    {
        Json list = Json::array();
        for (const std::string& path : paths)
            list.push_back(path);
        h.web->evaluated.clear();
        handleToolOp(h.context(), "qeliz://toolop?op=" + op + "&paths=" + percentEncoded(list.dump()), chosen);
        h.settle();
        return h.web->evaluated;
    }

    static std::string percentEncoded(const std::string& text)
    {
        std::string out;
        for (const unsigned char c : text) {
            if (std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_') {
                out += static_cast<char>(c);
            } else {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%%%02X", c);
                out += hex;
            }
        }
        return out;
    }

    static std::string done(const std::string& op, int made, int skipped, const std::string& message)
    {
        return ui::guardedCall("ikwToolDone", Json { { "op", op }, { "made", made }, { "skipped", skipped }, { "msg", message } }.dump());
    }

    static std::string progress(const std::string& op, int finished, int total, const std::string& name)
    {
        return ui::guardedCall("ikwToolProgress", Json { { "op", op }, { "done", finished }, { "total", total }, { "name", name } }.dump());
    }

    testing::PageOpHarness h;
};

TEST_F(BatchTools, EdgeCasesOfTheOutputsAndTheSummary)
{
    const std::string x = fixture("in/x.pdf", pdf::testing::numberedPdf(2));
    struct Case {
        const char* what;
        std::function<void()> check;
    } cases[] = {
        { "a copy of 92 % is not worth keeping, one byte less is",
            [&] {
                std::string padded = pdf::testing::numberedPdf(1);
                padded.resize(100000, ' ');
                const std::string big = fixture("sizes/big.pdf", padded);
                const auto chosen = options(sized(92000));
                EXPECT_EQ(compressOne(big, chosen.compressor, chosen.temporaryFolder()).kind, ToolOutcome::Kind::Skipped);
                const auto kept = compressOne(big, sized(91999), chosen.temporaryFolder());
                EXPECT_EQ(kept.kind, ToolOutcome::Kind::Made);
                EXPECT_EQ(kept.output, h.file("sizes/big (compressed).pdf"));
                EXPECT_EQ(std::filesystem::file_size(kept.output), 91999u);
                EXPECT_EQ(folderEntries(h.file("tmp")), Strings {}) << "no temporary file stays";
            } },
        { "two runs take the next free name",
            [&] {
                run("compress", { x }, options(sized(10)));
                EXPECT_EQ(run("compress", { x }, options(sized(10))).back(), done("compress", 1, 0, "Made 1 compressed copy."));
                EXPECT_EQ(folderEntries(h.file("in")), (Strings { "x (compressed) 2.pdf", "x (compressed).pdf", "x.pdf" }));
            } },
        { "page numbers are padded to the digits of the page count",
            [&] {
                const std::string nine = fixture("split/nine.pdf", pdf::testing::numberedPdf(9));
                const std::string ten = fixture("split/ten.pdf", pdf::testing::numberedPdf(10));
                EXPECT_EQ(run("split", { nine, ten }, options()).back(), done("split", 2, 0, "Made 2 files split into pages."));
                const Strings nines = folderEntries(h.file("split/nine (pages)"));
                ASSERT_EQ(nines.size(), 9u);
                EXPECT_EQ(nines.front(), "nine p1.pdf");
                EXPECT_EQ(nines.back(), "nine p9.pdf");
                const Strings tens = folderEntries(h.file("split/ten (pages)"));
                ASSERT_EQ(tens.size(), 10u);
                EXPECT_EQ(tens.front(), "ten p01.pdf");
                EXPECT_EQ(tens.back(), "ten p10.pdf");
                EXPECT_EQ(h.markers(h.file("split/ten (pages)/ten p07.pdf")), std::vector<int> { 7 });
            } },
        { "a wholly blank document is never emptied",
            [&] {
                const std::string blank = fixture("blank/empty.pdf", allBlankPdf());
                EXPECT_EQ(run("blank", { blank }, options()).back(), done("blank", 0, 1, "No blank pages found in the selection."));
                EXPECT_EQ(folderEntries(h.file("blank")), Strings { "empty.pdf" });
            } },
        { "a page under a point is never blank",
            [&] {
                const auto tiny = pdf::Document::fromBytes(pdf::testing::numberedPdf({ pdf::testing::FixturePage { { 0, 0, 0.5, 100 } } }));
                ASSERT_TRUE(tiny);
                EXPECT_EQ(pageInkFraction(*tiny, 0), 1.0);
                EXPECT_FALSE(pageIsBlank(*tiny, 0));
            } },
        { "an operation the tools do not have asks for PDFs",
            [&] { EXPECT_EQ(run("rotate", { x }, options()), Strings { done("rotate", 0, 0, "Select PDF files first.") }); } },
        { "only existing PDFs are taken",
            [&] {
                const std::string text = ikw::testing::writeTestFile(h.file("in/notes.txt"), "x");
                EXPECT_EQ(run("Compress", { text, h.file("in/gone.pdf") }, options()), Strings { done("compress", 0, 0, "Select PDF files first.") });
            } },
        { "copies made and files already compact",
            [&] {
                const std::string a = fixture("three/a.pdf", pdf::testing::numberedPdf(1));
                const std::string b = fixture("three/b.pdf", pdf::testing::numberedPdf(2));
                const std::string c = fixture("three/c.pdf", pdf::testing::numberedPdf(1));
                const PdfCompressor byPages = [](pdf::Document& document) {
                    return std::optional<std::string>(std::string(document.pageCount() == 1 ? 10 : 100000, '%'));
                };
                EXPECT_EQ(run("compress", { a, b, c }, options(byPages)).back(), done("compress", 2, 1, "Made 2 compressed copies. 1 already compact."));
            } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.check();
    }
}

TEST_F(BatchTools, SummariesGiveUnreadableFilesTheirOwnTail)
{
    struct Case {
        ToolOp op;
        ToolTally tally;
        const char* message;
    } cases[] = {
        { ToolOp::Compress, { 0, 0, 0, {} }, "Nothing to do." },
        { ToolOp::Split, { 1, 0, 0, {} }, "Made 1 file split into pages." },
        { ToolOp::Split, { 3, 2, 0, {} }, "Made 3 files split into pages. 2 skipped." },
        { ToolOp::Blank, { 0, 2, 0, {} }, "No blank pages found in the selection." },
        { ToolOp::Blank, { 1, 3, 1, {} }, "Made 1 cleaned copy. 2 had no blank pages. 1 couldn\u2019t be read." },
        { ToolOp::Compress, { 2, 1, 1, {} }, "Made 2 compressed copies. 1 couldn\u2019t be read." },
        { ToolOp::Compress, { 0, 3, 1, {} }, "All selected PDFs are already compact. 1 couldn\u2019t be read." },
        { ToolOp::Split, { 0, 2, 2, {} }, "None of the selected PDFs could be read." },
    };
    for (const Case& c : cases)
        EXPECT_EQ(toolMessage(c.op, c.tally), c.message);
}

// A file that opens only through repair, with no page tree left: a copy of it would open nowhere.
TEST_F(BatchTools, APagelessFileGetsNoCompressedCopy)
{
    // The unused stream makes any rewrite much smaller.
    const std::string pageless = fixture("empty/p.pdf", pdf::testing::objectsPdf({ "<< /Type /Catalog >>", stream("", std::string(20000, 'x')) }));
    run("compress", { pageless }, options());
    EXPECT_EQ(folderEntries(h.file("empty")), Strings { "p.pdf" });
}

TEST_F(BatchTools, BlankPagesLeaveACopyAndLockedFilesAreUnreadable)
{
    const std::string x = fixture("blank/x.pdf", pdfWithBlankMiddle());
    {
        const auto document = pdf::Document::openFile(x);
        ASSERT_TRUE(document);
        EXPECT_GT(pageInkFraction(*document, 1), 0.0) << "the hairlines are drawn";
        EXPECT_LT(pageInkFraction(*document, 1), kBlankInkFraction);
        EXPECT_TRUE(pageIsBlank(*document, 1));
        EXPECT_FALSE(pageIsBlank(*document, 0));
    }
    const std::string locked = fixture("blank/locked.pdf", pdf::testing::encryptedPdf(3, "secret"));
    EXPECT_EQ(run("blank", { x, locked }, options()).back(), done("blank", 1, 1, "Made 1 cleaned copy. 1 couldn\u2019t be read."));
    EXPECT_EQ(h.markers(h.file("blank/x (no blanks).pdf")), (std::vector<int> { 1, 3 }));
    EXPECT_EQ(run("split", { locked }, options()).back(), done("split", 0, 1, "None of the selected PDFs could be read."));
}

TEST_F(BatchTools, WrittenFilesKeepWhatTheDocumentCarries)
{
    pdf::testing::RichPdfOptions rich;
    rich.protection = pdf::testing::Protection::OwnerR6;
    rich.image = true;
    rich.blankPage = 3;
    const std::string path = fixture("rich/r.pdf", pdf::testing::richPdf(rich));
    const auto original = pdf::testing::inspectPdf(readTestFile(path));
    EXPECT_EQ(run("compress", { path }, options()).back(), done("compress", 1, 0, "Made 1 compressed copy."));
    EXPECT_EQ(run("blank", { path }, options()).back(), done("blank", 1, 0, "Made 1 cleaned copy."));
    EXPECT_EQ(run("split", { path }, options()).back(), done("split", 1, 0, "Made 1 file split into pages."));

    const std::string compressed = h.file("rich/r (compressed).pdf");
    EXPECT_TRUE(pdf::testing::qpdfCheckPasses(compressed));
    EXPECT_LT(std::filesystem::file_size(compressed), std::filesystem::file_size(path) / 4);
    const auto facts = pdf::testing::inspectPdf(readTestFile(compressed));
    EXPECT_EQ(facts.pageCount, original.pageCount);
    EXPECT_EQ(facts.outline, original.outline);
    EXPECT_EQ(facts.labels, original.labels);
    EXPECT_EQ(facts.fields, original.fields);
    EXPECT_EQ(facts.info, original.info);
    EXPECT_TRUE(facts.hasMetadata);
    EXPECT_TRUE(facts.encrypted);
    EXPECT_EQ(facts.permissions, original.permissions);
    EXPECT_NE(readTestFile(compressed).find("/DCTDecode"), std::string::npos);
    const auto before = pdf::Document::openFile(path);
    const auto after = pdf::Document::openFile(compressed);
    ASSERT_TRUE(before && after);
    for (int index = 0; index < before->pageCount(); ++index)
        EXPECT_EQ(after->pageText(index), before->pageText(index));
    // The JPEG decodes: the image's middle is drawn in its colours, not left white.
    const auto drawn = pdf::renderPageImage(*after, 0, 1.0, pdf::PageBox::Media);
    ASSERT_TRUE(drawn);
    const std::size_t middle = (static_cast<std::size_t>(792 - 400) * static_cast<std::size_t>(drawn->width) + 200) * 3;
    EXPECT_LT(drawn->pixels[middle] + drawn->pixels[middle + 1], 2 * 250);

    const auto cleaned = pdf::testing::inspectPdf(readTestFile(h.file("rich/r (no blanks).pdf")));
    EXPECT_EQ(cleaned.pageCount, original.pageCount - 1);
    EXPECT_EQ(cleaned.labels, (Strings { "i", "ii", "1", "App-A", "App-B" }));
    EXPECT_EQ(cleaned.fields, original.fields);
    EXPECT_EQ(cleaned.info, original.info);
    EXPECT_TRUE(cleaned.hasMetadata);
    EXPECT_TRUE(cleaned.encrypted);

    const auto page2 = pdf::testing::inspectPdf(readTestFile(h.file("rich/r (pages)/r p2.pdf")));
    EXPECT_EQ(page2.pageCount, 1);
    EXPECT_EQ(page2.outline, (Strings { "Chapter 1 -> none", "  Section 1.1 -> 1" }));
    EXPECT_EQ(page2.fields, (Strings { "agree@1", "both@1" }));
    EXPECT_EQ(page2.info, original.info);
    EXPECT_TRUE(page2.hasMetadata);
    EXPECT_TRUE(page2.encrypted);
}

// PDFs as producers write them: whatever the system's documentation ships.
std::vector<std::string> systemPdfs()
{
    std::vector<std::string> found;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator("/usr/share/doc", error); !error && it != std::filesystem::recursive_directory_iterator() && found.size() < 4; it.increment(error)) {
        if (it->is_regular_file() && it->path().extension() == ".pdf")
            found.push_back(it->path());
    }
    return found;
}

TEST_F(BatchTools, RealDocumentsComeThroughWhole)
{
    const std::vector<std::string> sources = systemPdfs();
    if (sources.empty())
        GTEST_SKIP() << "no PDF under /usr/share/doc";
    for (std::size_t number = 0; number < sources.size(); ++number) {
        SCOPED_TRACE(sources[number]);
        const std::string path = fixture("real/d" + std::to_string(number) + ".pdf", readTestFile(sources[number]));
        const auto original = pdf::Document::openFile(path);
        ASSERT_TRUE(original);
        const auto facts = pdf::testing::inspectPdf(readTestFile(path));
        const std::string base = h.file("real/d" + std::to_string(number));

        // Kept by the batch or not, the rewrite must be sound: written here whatever its size.
        std::optional<pdf::Document> reopened = pdf::Document::openFile(path);
        pdf::testing::writeFixture(base + " rewritten.pdf", *compressForScreen(*reopened));
        EXPECT_TRUE(pdf::testing::qpdfCheckPasses(base + " rewritten.pdf"));
        const auto rewritten = pdf::Document::openFile(base + " rewritten.pdf");
        ASSERT_TRUE(rewritten);
        ASSERT_EQ(rewritten->pageCount(), original->pageCount());
        for (int index = 0; index < original->pageCount(); index += 7)
            EXPECT_EQ(rewritten->pageText(index), original->pageText(index));
        EXPECT_EQ(pdf::testing::inspectPdf(readTestFile(base + " rewritten.pdf")).outline, facts.outline);

        run("split", { path }, options());
        const Strings pages = folderEntries(base + " (pages)");
        EXPECT_EQ(static_cast<int>(pages.size()), original->pageCount());
        if (!pages.empty()) {
            EXPECT_TRUE(pdf::testing::qpdfCheckPasses(base + " (pages)/" + pages.back()));
        }
    }
}

TEST_F(BatchTools, ProgressComesBeforeEachFileAndTheResultOnceWhileTheWindowLives)
{
    const std::string a = fixture("run/a.pdf", pdf::testing::numberedPdf(2));
    const std::string b = fixture("run/b.pdf", pdf::testing::numberedPdf(3));
    EXPECT_EQ(run("split", { a, b }, options()),
        (Strings { progress("split", 0, 2, "a.pdf"), progress("split", 1, 2, "b.pdf"), done("split", 2, 0, "Made 2 files split into pages.") }));
    EXPECT_EQ(h.host->fakeWorkspace.revealed, Strings { h.file("run/a (pages)") });

    // The window closes while the second file is worked on: the page hears nothing more, the
    // copies stay.
    const PdfCompressor closing = [this](pdf::Document& document) {
        if (document.pageCount() == 3)
            h.host->open = false;
        return std::optional<std::string>("%PDF");
    };
    h.host->fakeWorkspace.revealed.clear();
    EXPECT_EQ(run("compress", { a, b }, options(closing)), Strings {}) << "the page heard of the batch only after the window closed";
    EXPECT_TRUE(h.host->fakeWorkspace.revealed.empty());
    EXPECT_TRUE(std::filesystem::exists(h.file("run/a (compressed).pdf")));
    EXPECT_TRUE(std::filesystem::exists(h.file("run/b (compressed).pdf")));
}

TEST_F(BatchTools, CompressFileZipsBesideTheItem)
{
    const std::string report = ikw::testing::writeTestFile(h.file("files/report.txt"), "figures");
    compressFile(h.context(), report);
    h.settle();
    EXPECT_NE(h.web->evaluated.back().find("Compressed to \u201creport.zip\u201d"), std::string::npos);
    EXPECT_EQ(h.host->fakeWorkspace.revealed, Strings { h.file("files/report.zip") });
    const auto archive = ZipArchive::open(h.file("files/report.zip"));
    ASSERT_TRUE(archive);
    ASSERT_EQ(archive->entries().size(), 1u);
    EXPECT_EQ(archive->entries()[0].name, "report.txt");

    compressFile(h.context(), report);
    h.settle();
    EXPECT_NE(h.web->evaluated.back().find("report 2.zip"), std::string::npos) << "an existing archive is never replaced";

    ikw::testing::writeTestFile(h.file("files/case/a/b.txt"), "b");
    compressFile(h.context(), h.file("files/case/"));
    h.settle();
    const auto tree = ZipArchive::open(h.file("files/case.zip"));
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->entries().size(), 3u);

    // A name too long for the file system: nothing is left behind.
    const std::string longName(253, 'n');
    std::filesystem::create_directories(h.file("long/" + longName));
    compressFile(h.context(), h.file("long/" + longName));
    h.settle();
    EXPECT_NE(h.web->evaluated.back().find("Couldn\u2019t compress this file"), std::string::npos);
    EXPECT_EQ(folderEntries(h.file("long")), Strings { longName });
}

}
}
