#include "docops/PageTransforms.h"

#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <functional>

namespace ikw::docops {
namespace {

using pdf::testing::numberedPdf;
using Numbers = std::vector<int>;

Document numbered(int pages)
{
    std::optional<Document> document = Document::fromBytes(numberedPdf(pages));
    EXPECT_TRUE(document);
    return std::move(*document);
}

// The page numbers of a result, after checking that its file passes qpdf.
Numbers checkedNumbers(const std::optional<Document>& result)
{
    if (!result)
        return { -1 };
    static ikw::testing::TempHome home;
    static int serial = 0;
    const std::string bytes = *result->toBytes();
    const std::string path = home.file("result-" + std::to_string(++serial) + ".pdf");
    pdf::testing::writeFixture(path, bytes);
    EXPECT_TRUE(result->pageCount() == 0 || pdf::testing::qpdfCheckPasses(path)) << path;
    return pdf::testing::pageNumbers(bytes);
}

TEST(PageTransforms, PageOrderTable)
{
    const Document three = numbered(3);
    const Document four = numbered(4);
    const Document empty = numbered(0);
    struct Case {
        const char* name;
        std::function<std::optional<Document>()> transform;
        Numbers pages;
    };
    const Case cases[] = {
        { "delete 0 and 2", [&] { return pgDelete(four, { 0, 2 }); }, { 2, 4 } },
        { "delete all and out of range", [&] { return pgDelete(three, { 0, 1, 2, 7, -1 }); }, {} },
        { "extract with repeats", [&] { return pgExtract(three, { 2, 0, 2 }); }, { 3, 1, 3 } },
        { "extract out of range", [&] { return pgExtract(three, { -1, 3, 99 }); }, {} },
        { "extract nothing", [&] { return pgExtract(three, {}); }, {} },
        { "duplicate 1", [&] { return pgDuplicate(three, 1); }, { 1, 2, 2, 3 } },
        { "duplicate out of range", [&] { return pgDuplicate(three, 5); }, { 1, 2, 3 } },
        { "reorder 0 to 2", [&] { return pgReorder(four, 0, 2); }, { 2, 3, 1, 4 } },
        { "reorder 3 to 0", [&] { return pgReorder(four, 3, 0); }, { 4, 1, 2, 3 } },
        { "reorder to out of range", [&] { return pgReorder(four, 0, 4); }, { 1, 2, 3, 4 } },
        { "reorder from negative", [&] { return pgReorder(four, -1, 2); }, { 1, 2, 3, 4 } },
        { "reorder in place", [&] { return pgReorder(four, 2, 2); }, { 1, 2, 3, 4 } },
        { "insert blank at 1", [&] { return pgInsertBlank(three, 1); }, { 1, 0, 2, 3 } },
        { "insert blank at -4", [&] { return pgInsertBlank(three, -4); }, { 0, 1, 2, 3 } },
        { "insert blank at 99", [&] { return pgInsertBlank(three, 99); }, { 1, 2, 3, 0 } },
        { "insert blank into empty", [&] { return pgInsertBlank(empty, 0); }, { 0 } },
        { "insert document at 1", [&] { return pgInsertDoc(three, numbered(2), 1); }, { 1, 1, 2, 2, 3 } },
        { "insert empty document", [&] { return pgInsertDoc(three, empty, 1); }, { 1, 2, 3 } },
        { "insert document at the end", [&] { return pgInsertDoc(three, numbered(1), 3); }, { 1, 2, 3, 1 } },
        { "merge with an empty one", [&] {
             const Document* documents[] = { &four, &empty, &three };
             return pgMerge(documents); },
            { 1, 2, 3, 4, 1, 2, 3 } },
        { "merge nothing", [&] { return pgMerge({}); }, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(checkedNumbers(c.transform()), c.pages);
    }
    // The sources are untouched.
    EXPECT_EQ(pdf::testing::pageNumbers(*four.toBytes()), (Numbers { 1, 2, 3, 4 }));
}

TEST(PageTransforms, RotationIsStoredIn0To359)
{
    const std::optional<Document> source = Document::fromBytes(numberedPdf({ { pdf::kLetterPage, 0 }, { pdf::kLetterPage, 270 }, { pdf::kLetterPage, 270 } }));
    ASSERT_TRUE(source);
    struct Case {
        std::set<int> pages;
        int degrees;
        std::vector<int> rotations;
    };
    const Case cases[] = {
        { { 1 }, 90, { 0, 0, 270 } },
        { { 0 }, -90, { 270, 270, 270 } },
        { { 1, 2 }, 180, { 0, 90, 90 } },
        { { 0, 9 }, 450, { 90, 270, 270 } },
        { {}, 90, { 0, 270, 270 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.degrees);
        const std::optional<Document> rotated = pgRotate(*source, c.pages, c.degrees);
        ASSERT_TRUE(rotated);
        EXPECT_EQ(checkedNumbers(rotated), (Numbers { 1, 2, 3 }));
        for (int index = 0; index < 3; ++index)
            EXPECT_EQ(rotated->pageRotation(index), c.rotations[static_cast<std::size_t>(index)]) << index;
    }
    EXPECT_EQ(source->pageRotation(0), 0);
}

TEST(PageTransforms, BlankPageTakesItsNeighboursMediaBox)
{
    const std::optional<Document> source = Document::fromBytes(numberedPdf({ { pdf::testing::kA4Page, 90 }, { pdf::kLetterPage, 0 } }));
    ASSERT_TRUE(source);
    struct Case {
        int at;
        int blankIndex;
        pdf::Rect mediaBox;
    };
    const Case cases[] = {
        { 0, 0, pdf::testing::kA4Page },
        { 1, 1, pdf::testing::kA4Page },
        { 2, 2, pdf::kLetterPage },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        const std::optional<Document> result = pgInsertBlank(*source, c.at);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->pageBox(c.blankIndex, pdf::PageBox::Media), c.mediaBox);
        // Only the media box: the neighbour's rotation stays with the neighbour.
        EXPECT_EQ(result->pageRotation(c.blankIndex), 0);
    }
}

TEST(PageTransforms, SplitGivesOneDocumentPerPage)
{
    const std::vector<Document> parts = pgSplit(numbered(3));
    ASSERT_EQ(parts.size(), 3u);
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(pdf::testing::pageNumbers(*parts[static_cast<std::size_t>(index)].toBytes()), (Numbers { index + 1 }));
    EXPECT_TRUE(pgSplit(numbered(0)).empty());
}

TEST(PageTransforms, PagesOfAnEncryptedSourceArriveReadable)
{
    const std::optional<Document> source = Document::fromBytes(pdf::testing::encryptedPdf(3, "pw"), "pw");
    ASSERT_TRUE(source);
    EXPECT_EQ(checkedNumbers(pgRotate(*source, { 1 }, 90)), (Numbers { 1, 2, 3 }));
}

}
}
