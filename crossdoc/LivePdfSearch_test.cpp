#include "crossdoc/LivePdfSearch.h"

#include "app/Globals.h"
#include "docops/OcrCache.h"
#include "platform/pdf/Document.h"
#include "platform/pdf/PageSpace.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace ikw::crossdoc {
namespace {

using pdf::testing::TextFixturePage;

// Lines holding `count` times the word, ten to a line.
std::vector<std::string> repeated(const std::string& word, int count)
{
    std::vector<std::string> lines;
    for (int at = 0; at < count; ++at) {
        if (at % 10 == 0)
            lines.emplace_back();
        lines.back() += (at % 10 ? " " : "") + word;
    }
    return lines;
}

// One page per entry, each holding the word that many times after a line of plain text.
std::vector<TextFixturePage> pagesWith(const std::string& word, const std::vector<int>& counts)
{
    std::vector<TextFixturePage> pages;
    for (int count : counts) {
        TextFixturePage page { { "Plain page text without it." } };
        for (std::string& line : repeated(word, count))
            page.lines.push_back(std::move(line));
        pages.push_back(std::move(page));
    }
    return pages;
}

// The file with its cross-reference table pointer broken: readers must repair it.
std::string damaged(std::string bytes)
{
    bytes.replace(bytes.rfind("startxref"), std::string::npos, "startxref\n999999\n%%EOF\n");
    return bytes;
}

class LivePdfSearchTest : public ::testing::Test {
protected:
    std::string writePdf(const std::string& name, const std::vector<TextFixturePage>& pages, const std::string& catalog = {})
    {
        return ikw::testing::writeTestFile(home.file(name), pdf::testing::textPdf(pages, catalog));
    }

    ikw::testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
};

TEST_F(LivePdfSearchTest, ShortQueriesAreAnsweredBeforeAnyFileIsGathered)
{
    writePdf("Cases/a.pdf", { TextFixturePage { { "xx ab xx" } } });
    struct Case {
        std::string q;
        std::optional<std::string> note;
        std::size_t scanned;
        long long hits;
    };
    const Case cases[] = { { "", "empty", 0, 0 }, { "x", "short", 0, 0 }, { "\u00e9", "short", 0, 0 }, { "ab", std::nullopt, 1, 1 } };
    for (const Case& c : cases) {
        const LiveSearchResult result = runPDFSearch(c.q, { home.file("Cases/") }, {});
        EXPECT_EQ(result.note, c.note) << c.q;
        EXPECT_EQ(result.scanned, c.scanned) << c.q;
        EXPECT_EQ(result.hitCount, c.hits) << c.q;
        EXPECT_EQ(result.scope, "Cases");
        EXPECT_EQ(result.scopeCount, 1u);
        const Json json = result.toJson();
        EXPECT_EQ(json.contains("note"), c.note.has_value());
        for (const char* key : { "q", "docs", "docCount", "hitCount", "scanned", "truncated", "scope", "scopeCount", "scannedNoText", "ocrUsed" })
            EXPECT_TRUE(json.contains(key)) << key;
    }
}

TEST_F(LivePdfSearchTest, CountsAndStopsWithinTheLimits)
{
    struct Case {
        const char* what;
        std::vector<int> perPage;
        long long count;
    };
    const Case cases[] = {
        { "40 hits are listed; the next pages are still searched", { 100, 5, 3 }, 108 },
        { "stops after the page where 40 hits and more than 160 are held", { 161, 10 }, 161 },
        { "160 is not yet enough", { 160, 5, 7 }, 165 },
        { "few hits on many pages", { 20, 15, 10, 0, 4 }, 49 },
        { "counting within a page ends after the 5001st", { 5200 }, 5001 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = writePdf("counts.pdf", pagesWith("ab", c.perPage));
        const LiveSearchResult result = runPDFSearch("ab", {}, { path });
        ASSERT_EQ(result.docs.size(), 1u);
        const LiveSearchDocument& document = result.docs.front();
        EXPECT_EQ(document.count, c.count);
        EXPECT_EQ(result.hitCount, c.count);
        EXPECT_EQ(document.hits.size(), std::min<std::size_t>(40, static_cast<std::size_t>(c.count)));
        EXPECT_EQ(result.toJson()["docs"][0]["shown"], document.hits.size());
        // Hits in page order, then text order.
        for (std::size_t at = 1; at < document.hits.size(); ++at)
            EXPECT_LE(document.hits[at - 1].page, document.hits[at].page);
    }
}

TEST_F(LivePdfSearchTest, HitsCarryLabelSnippetAndTheDocumentsOwnText)
{
    const std::string before(60, 'b');
    std::vector<TextFixturePage> pages(8);
    pages[0].lines = { "The INVOICE is due." };
    pages[6].lines = { "page seven invoice" };
    pages[7].lines = { before + " Invoice " + std::string(40, 'c') };
    const std::string path = writePdf("labels.pdf", pages, "/PageLabels << /Nums [7 << /S /r /St 4 >>] >>");

    const LiveSearchResult result = runPDFSearch("invoice", {}, { path });
    ASSERT_EQ(result.docs.size(), 1u);
    const auto& hits = result.docs.front().hits;
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].match, "INVOICE");
    EXPECT_EQ(hits[0].label, "1");
    EXPECT_EQ(hits[0].snippet, "The INVOICE is due.") << "the page text ends within 48 characters: no \u2026 either side";
    EXPECT_EQ(hits[1].page, 7);
    EXPECT_EQ(hits[1].label, "7") << "no range covers page 7";
    EXPECT_EQ(hits[2].page, 8);
    EXPECT_EQ(hits[2].label, "iv");
    EXPECT_EQ(hits[2].match, "Invoice");
    EXPECT_EQ(hits[2].snippet, "\u2026" + std::string(47, 'b') + " Invoice " + std::string(40, 'c'))
        << "cut 48 characters before; the line and block breaks after it become blanks and are trimmed";
    for (const LiveSearchHit& hit : hits) {
        EXPECT_FALSE(hit.ocr);
        EXPECT_EQ(hit.rects.size(), 1u);
    }
}

TEST_F(LivePdfSearchTest, RectanglesAreInThePagesOwnSpace)
{
    const std::string path = writePdf("turned.pdf", { TextFixturePage { { "one needle" }, pdf::kLetterPage, 90 },
        TextFixturePage { { "two needle" }, pdf::Rect { 100, 100, 500, 700 }, 0 } });
    const LiveSearchResult result = runPDFSearch("NEEDLE", {}, { path });
    ASSERT_EQ(result.docs.size(), 1u);
    const auto document = pdf::Document::openFile(path);
    ASSERT_TRUE(document);
    for (const LiveSearchHit& hit : result.docs.front().hits) {
        SCOPED_TRACE(hit.page);
        const auto searched = document->search(hit.page - 1, "needle");
        ASSERT_EQ(searched.size(), 1u);
        ASSERT_EQ(hit.rects.size(), 1u);
        const pdf::Rect expected = pdf::PageSpace::of(*document, hit.page - 1)->toPage(searched.front());
        EXPECT_NEAR(hit.rects[0].x0, expected.x0, 0.5);
        EXPECT_NEAR(hit.rects[0].y0, expected.y0, 0.5);
        EXPECT_NEAR(hit.rects[0].width(), expected.width(), 0.5);
        EXPECT_NEAR(hit.rects[0].height(), expected.height(), 0.5);
    }
    const Json rect = result.toJson()["docs"][0]["hits"][1]["rects"][0];
    EXPECT_GT(rect["x"].get<double>(), 100) << "the second page's media box starts at 100,100";
    EXPECT_GT(rect["y"].get<double>(), 100);
    EXPECT_TRUE(rect.contains("w") && rect.contains("h"));
}

TEST_F(LivePdfSearchTest, ScannedDocumentsAreSearchedThroughTheirOcrText)
{
    const std::string scan = writePdf("scan.pdf", { TextFixturePage { { "  1234567  " } }, TextFixturePage {} });
    LiveSearchResult result = runPDFSearch("total", {}, { scan });
    EXPECT_TRUE(result.docs.empty());
    ASSERT_EQ(result.scannedNoText.size(), 1u);
    EXPECT_EQ(result.scannedNoText[0].path, scan);
    EXPECT_EQ(result.scannedNoText[0].name, "scan.pdf");
    EXPECT_EQ(result.ocrUsed, 0);

    ikw::testing::writeTestFile(docops::ocrCacheFolder() + "/" + docops::ocrCacheKey(scan).value() + ".json",
        R"({"path":"x","pages":[{"page":2,"text":"Grand TOTAL\nand total again"},{"page":9,"text":"total beyond the last page"}]})");
    result = runPDFSearch("total", {}, { scan });
    EXPECT_TRUE(result.scannedNoText.empty());
    EXPECT_EQ(result.ocrUsed, 1);
    ASSERT_EQ(result.docs.size(), 1u);
    const LiveSearchDocument& document = result.docs.front();
    EXPECT_TRUE(document.ocr);
    EXPECT_EQ(document.count, 2);
    ASSERT_EQ(document.hits.size(), 2u);
    EXPECT_EQ(document.hits[0].page, 2);
    EXPECT_EQ(document.hits[0].match, "TOTAL");
    EXPECT_EQ(document.hits[0].snippet, "Grand TOTAL and total again");
    EXPECT_TRUE(document.hits[0].ocr);
    const Json hit = result.toJson()["docs"][0]["hits"][0];
    EXPECT_FALSE(hit.contains("rects"));
    EXPECT_TRUE(hit["ocr"].get<bool>());
}

TEST_F(LivePdfSearchTest, UnsearchableFilesAppearNowhereButCountAsScanned)
{
    const std::string folder = home.file("Mixed");
    writePdf("Mixed/b-found.pdf", { TextFixturePage { { "the word" } } });
    ikw::testing::writeTestFile(folder + "/a-locked.pdf", pdf::testing::encryptedPdf(1, "secret"));
    ikw::testing::writeTestFile(folder + "/c-garbage.PDF", "not a pdf at all");
    ikw::testing::writeTestFile(folder + "/d-damaged.pdf", damaged(pdf::testing::textPdf({ TextFixturePage { { "a word, repaired" } } })));
    ikw::testing::writeTestFile(folder + "/e-notes.txt", "the word");
    ASSERT_EQ(::mkfifo((folder + "/f-pipe.pdf").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir((folder + "/g-folder.pdf").c_str(), 0700), 0);
    const std::string oddName = folder + "/h-\xff\xfe name.pdf";
    writePdf("Mixed/h-\xff\xfe name.pdf", { TextFixturePage { { "word word" } } });

    const LiveSearchResult result = runPDFSearch("word", { folder }, { home.file("missing.pdf") });
    // b, a, c, d, f, g, h are gathered (the missing file and the text file are not).
    EXPECT_EQ(result.scanned, 7u);
    ASSERT_EQ(result.docs.size(), 3u);
    EXPECT_EQ(result.docs[0].path, oddName);
    EXPECT_EQ(result.docs[1].name, "b-found.pdf");
    EXPECT_EQ(result.docs[2].name, "d-damaged.pdf") << "repaired by the reader";
    EXPECT_TRUE(result.scannedNoText.empty()) << "the locked file is not taken for a scan";
    EXPECT_NE(toJson(result.toJson()).find("h-\ufffd\ufffd name.pdf"), std::string::npos);
}

TEST_F(LivePdfSearchTest, EqualCountsKeepTheCandidateOrder)
{
    const std::string one = writePdf("Scope/one.pdf", { TextFixturePage { { "one term here" } } });
    const std::string two = writePdf("Scope/two.pdf", { TextFixturePage { { "two terms, term" } } });
    const std::string three = writePdf("Scope/three.pdf", { TextFixturePage { { "three term" } } });
    const std::string given = writePdf("given.pdf", { TextFixturePage { { "given term" } } });
    const LiveSearchResult result = runPDFSearch("term", { home.file("Scope") }, { given, one });
    std::vector<std::string> order;
    for (const auto& document : result.docs)
        order.push_back(document.path);
    // Given files first (one is given and found: once), then the folder's walk in name order.
    EXPECT_EQ(order, (std::vector<std::string> { two, given, one, three }));
    EXPECT_EQ(result.scanned, 4u);
    EXPECT_EQ(result.hitCount, 5);
}

TEST_F(LivePdfSearchTest, LargeScopesAreCapped)
{
    const std::string folder = home.file("Many");
    for (int at = 0; at < 5000; ++at)
        ikw::testing::writeTestFile(folder + "/" + std::to_string(at / 1000) + "/f" + std::to_string(at) + ".pdf", "");
    LiveSearchResult result = runPDFSearch("anything", { folder }, {});
    EXPECT_EQ(result.scanned, 4000u);
    EXPECT_TRUE(result.truncated);

    const std::string hits = home.file("Hits");
    const std::string bytes = pdf::testing::textPdf({ TextFixturePage { { "match here" } } });
    for (int at = 0; at < 301; ++at)
        ikw::testing::writeTestFile(hits + "/h" + std::to_string(1000 + at) + ".pdf", bytes);
    result = runPDFSearch("match", { hits }, {});
    EXPECT_EQ(result.scanned, 301u);
    EXPECT_EQ(result.docs.size(), 300u);
    EXPECT_EQ(result.toJson()["docCount"], 300);
    EXPECT_TRUE(result.truncated);
    EXPECT_EQ(result.docs.back().name, "h1299.pdf");
}

}
}
