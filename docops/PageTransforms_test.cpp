#include "docops/PageTransforms.h"

#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <functional>

namespace ikw::docops {
namespace {

using pdf::testing::numberedPdf;
using Numbers = std::vector<int>;

EditableDocument open(const std::string& bytes)
{
    std::optional<EditableDocument> document = EditableDocument::fromBytes(bytes);
    EXPECT_TRUE(document);
    return std::move(*document);
}

EditableDocument numbered(int pages)
{
    return open(numberedPdf(pages));
}

// The page numbers of a result, after checking that its file passes qpdf.
Numbers checkedNumbers(const std::optional<EditableDocument>& result)
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
    EditableDocument three = numbered(3);
    EditableDocument four = numbered(4);
    EditableDocument empty = numbered(0);
    EditableDocument two = numbered(2);
    struct Case {
        const char* name;
        std::function<std::optional<EditableDocument>()> transform;
        Numbers pages;
    };
    const Case cases[] = {
        { "delete 0 and 2", [&] { return pgDelete(numbered(4), { 0, 2 }); }, { 2, 4 } },
        { "delete all and out of range", [&] { return pgDelete(numbered(3), { 0, 1, 2, 7, -1 }); }, {} },
        { "extract with repeats", [&] { return pgExtract(three, { 2, 0, 2 }); }, { 3, 1, 3 } },
        { "extract out of range", [&] { return pgExtract(three, { -1, 3, 99 }); }, {} },
        { "extract nothing", [&] { return pgExtract(three, {}); }, {} },
        { "duplicate 1", [&] { return pgDuplicate(numbered(3), 1); }, { 1, 2, 2, 3 } },
        { "duplicate out of range", [&] { return pgDuplicate(numbered(3), 5); }, { 1, 2, 3 } },
        { "reorder 0 to 2", [&] { return pgReorder(numbered(4), 0, 2); }, { 2, 3, 1, 4 } },
        { "reorder 3 to 0", [&] { return pgReorder(numbered(4), 3, 0); }, { 4, 1, 2, 3 } },
        { "reorder to out of range", [&] { return pgReorder(numbered(4), 0, 4); }, { 1, 2, 3, 4 } },
        { "reorder from negative", [&] { return pgReorder(numbered(4), -1, 2); }, { 1, 2, 3, 4 } },
        { "reorder in place", [&] { return pgReorder(numbered(4), 2, 2); }, { 1, 2, 3, 4 } },
        { "arrange", [&] { return pgArrange(numbered(4), { 3, 1, 0, 2 }); }, { 4, 2, 1, 3 } },
        { "arrange naming no page", [&] { return pgArrange(numbered(2), { 0, 2 }); }, { -1 } },
        { "insert blank at 1", [&] { return pgInsertBlank(numbered(3), 1); }, { 1, 0, 2, 3 } },
        { "insert blank at -4", [&] { return pgInsertBlank(numbered(3), -4); }, { 0, 1, 2, 3 } },
        { "insert blank at 99", [&] { return pgInsertBlank(numbered(3), 99); }, { 1, 2, 3, 0 } },
        { "insert blank into empty", [&] { return pgInsertBlank(numbered(0), 0); }, { 0 } },
        { "insert document at 1", [&] { return pgInsertDoc(numbered(3), two, 1); }, { 1, 1, 2, 2, 3 } },
        { "insert empty document", [&] { return pgInsertDoc(numbered(3), empty, 1); }, { 1, 2, 3 } },
        { "insert document at the end", [&] { return pgInsertDoc(numbered(3), two, 3); }, { 1, 2, 3, 1, 2 } },
        { "merge with an empty one", [&] {
             EditableDocument* documents[] = { &four, &empty, &three };
             return pgMerge(documents); },
            { 1, 2, 3, 4, 1, 2, 3 } },
        { "merge nothing", [&] { return pgMerge({}); }, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(checkedNumbers(c.transform()), c.pages);
    }
    // Sources of new documents and inserted ones are read, never changed.
    EXPECT_EQ(checkedNumbers(std::move(four)), (Numbers { 1, 2, 3, 4 }));
    EXPECT_EQ(checkedNumbers(std::move(two)), (Numbers { 1, 2 }));
}

TEST(PageTransforms, RotationIsStoredIn0To359)
{
    const std::string source = numberedPdf({ { pdf::kLetterPage, 0 }, { pdf::kLetterPage, 270 }, { pdf::kLetterPage, 270 } });
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
        const std::optional<EditableDocument> rotated = pgRotate(open(source), c.pages, c.degrees);
        ASSERT_TRUE(rotated);
        EXPECT_EQ(checkedNumbers(rotated), (Numbers { 1, 2, 3 }));
        for (int index = 0; index < 3; ++index)
            EXPECT_EQ(rotated->pageRotation(index), c.rotations[static_cast<std::size_t>(index)]) << index;
    }
}

TEST(PageTransforms, BlankPageTakesItsNeighboursMediaBox)
{
    const std::string source = numberedPdf({ { pdf::testing::kA4Page, 90 }, { pdf::kLetterPage, 0 } });
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
        const std::optional<EditableDocument> result = pgInsertBlank(open(source), c.at);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->mediaBox(c.blankIndex), c.mediaBox);
        // Only the media box: the neighbour's rotation stays with the neighbour.
        EXPECT_EQ(result->pageRotation(c.blankIndex), 0);
    }
}

TEST(PageTransforms, SplitGivesOneDocumentPerPage)
{
    EditableDocument three = numbered(3);
    const std::vector<EditableDocument> parts = pgSplit(three);
    ASSERT_EQ(parts.size(), 3u);
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(pdf::testing::pageNumbers(*parts[static_cast<std::size_t>(index)].toBytes()), (Numbers { index + 1 }));
    EditableDocument empty = numbered(0);
    EXPECT_TRUE(pgSplit(empty).empty());
}

}
}
