#include "platform/pdf/PageTextLayout.h"

#include "platform/pdf/Document.h"
#include "platform/pdf/PageSpace.h"
#include "platform/pdf/testing/PdfFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ikw::pdf {
namespace {

using testing::TextFixturePage;

void expectNear(Rect actual, Rect expected, double tolerance)
{
    EXPECT_NEAR(actual.x0, expected.x0, tolerance);
    EXPECT_NEAR(actual.y0, expected.y0, tolerance);
    EXPECT_NEAR(actual.x1, expected.x1, tolerance);
    EXPECT_NEAR(actual.y1, expected.y1, tolerance);
}

// Every character of pageTextLines, in order, must sit at the next character offset of the layout
// with the same box, and the layout's text must be pageText's.
void expectLayoutAgreesWithThePage(const Document& document, int index)
{
    const PageTextLayout layout = PageTextLayout::load(document, index);
    ASSERT_EQ(layout.text(), document.pageText(index)) << "page " << index;
    std::size_t offset = 0;
    int lineNumber = 0;
    for (const TextLine& line : document.pageTextLines(index)) {
        std::size_t inLine = 0;
        for (const Rect& box : line.characters) {
            const auto place = layout.placeAt(offset);
            ASSERT_TRUE(place) << "page " << index << " offset " << offset;
            EXPECT_EQ(place->line, lineNumber);
            EXPECT_EQ(place->box, box);
            const auto lead = static_cast<unsigned char>(line.text[inLine]);
            const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            offset += length;
            inLine += length;
        }
        EXPECT_FALSE(layout.placeAt(offset)) << "a line break has no place";
        offset += 1;
        if (layout.text().compare(offset, 1, "\n") == 0)
            offset += 1; // the block break
        ++lineNumber;
    }
    EXPECT_EQ(offset, layout.text().size());
}

TEST(PageTextLayout, PositionsOfPageTextLeadToTheirCharactersAcrossBlocks)
{
    const auto document = Document::fromBytes(testing::textPdf({
        TextFixturePage { { "First block, line one", "line two of it", "", "", "Second block \u00e9t\u00e9 here" } },
        TextFixturePage { { "Only line" }, kLetterPage, 90 },
        TextFixturePage {},
    }));
    ASSERT_TRUE(document);
    for (int index = 0; index < document->pageCount(); ++index)
        expectLayoutAgreesWithThePage(*document, index);
    EXPECT_NE(document->pageText(0).find("\n\n"), document->pageText(0).rfind("\n\n")) << "the fixture holds two blocks";
    EXPECT_TRUE(PageTextLayout::load(*document, 5).text().empty());
}

TEST(PageTextLayout, AgreesWithPageTextOnRealDocuments)
{
    int checked = 0;
    for (const char* path : { "/usr/share/doc/libtasn1-doc/libtasn1.pdf", "/usr/share/doc/shared-mime-info/shared-mime-info-spec.pdf" }) {
        if (!std::filesystem::exists(path))
            continue;
        const auto document = Document::openFile(path);
        ASSERT_TRUE(document) << path;
        for (int index = 0; index < std::min(document->pageCount(), 40); ++index)
            expectLayoutAgreesWithThePage(*document, index);
        ++checked;
    }
    if (checked == 0)
        GTEST_SKIP() << "no PDF documentation installed";
}

TEST(PageTextLayout, LineBoundsOfAWordMatchTheSearchInPageSpace)
{
    // A turned page and one whose media box starts away from the origin.
    const auto document = Document::fromBytes(testing::textPdf({
        TextFixturePage { { "alpha Needle", "needle omega" }, kLetterPage, 90 },
        TextFixturePage { { "before Needle after" }, Rect { 100, 100, 500, 700 }, 0 },
        TextFixturePage { { "x Needle" }, Rect { 100, 100, 500, 700 }, 270 },
    }));
    ASSERT_TRUE(document);
    for (int index = 0; index < document->pageCount(); ++index) {
        SCOPED_TRACE(index);
        const PageTextLayout layout = PageTextLayout::load(*document, index);
        ASSERT_TRUE(layout.pageSpace());
        const std::vector<Rect> searched = document->search(index, "needle");
        std::vector<Rect> found;
        for (std::size_t at = layout.text().find("eedle"); at != std::string::npos; at = layout.text().find("eedle", at + 1)) {
            for (const Rect& shown : layout.lineBounds(at - 1, at + 5))
                found.push_back(layout.pageSpace()->toPage(shown));
        }
        ASSERT_EQ(found.size(), searched.size());
        for (std::size_t hit = 0; hit < found.size(); ++hit)
            expectNear(found[hit], layout.pageSpace()->toPage(searched[hit]), 0.5);
    }
}

TEST(PageTextLayout, OneRectanglePerLineOfARange)
{
    const auto document = Document::fromBytes(testing::textPdf({ TextFixturePage { { "end of one", "start of two" } } }));
    ASSERT_TRUE(document);
    const PageTextLayout layout = PageTextLayout::load(*document, 0);
    const std::size_t begin = layout.text().find("one");
    const std::size_t end = layout.text().find("start") + 5;
    const std::vector<Rect> bounds = layout.lineBounds(begin, end);
    ASSERT_EQ(bounds.size(), 2u);
    EXPECT_LT(bounds[0].y1, bounds[1].y1) << "line order, top down as shown";
    EXPECT_GT(bounds[0].width(), 10);
    EXPECT_TRUE(layout.lineBounds(end, end).empty());
}

TEST(PageSpace, MapsTheShownPageBackToPdfPoints)
{
    const Rect media { 100, 100, 400, 500 };
    const auto document = Document::fromBytes(testing::numberedPdf({ { media, 0 }, { media, 90 }, { media, 180 }, { media, 270 } }));
    ASSERT_TRUE(document);
    // A point (x, y) of the shown page, y down, worked out by hand for each turn.
    const Rect shown { 10, 20, 30, 60 };
    const Rect expected[] = {
        { 100 + 10, 500 - 60, 100 + 30, 500 - 20 }, // upright: y flips within the media box
        { 100 + 20, 100 + 10, 100 + 60, 100 + 30 }, // a quarter turn clockwise
        { 400 - 30, 100 + 20, 400 - 10, 100 + 60 },
        { 400 - 60, 500 - 30, 400 - 20, 500 - 10 },
    };
    for (int index = 0; index < 4; ++index) {
        SCOPED_TRACE(index);
        const auto space = PageSpace::of(*document, index);
        ASSERT_TRUE(space);
        expectNear(space->toPage(shown), expected[index], 1e-3);
        expectNear(space->toShown(space->toPage(shown)), shown, 1e-3);
    }
    EXPECT_FALSE(PageSpace::of(*document, 4));
}

}
}
