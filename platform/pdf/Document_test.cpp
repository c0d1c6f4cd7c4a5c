#include "platform/pdf/Document.h"

#include "platform/pdf/DocumentBuilder.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::pdf {
namespace {

using testing::numberedPdf;
using testing::pageNumbers;

TEST(PdfDocument, PagesCarryTheirNumbersThroughAWriteAndReopen)
{
    const std::optional<Document> document = Document::fromBytes(numberedPdf(3));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->pageCount(), 3);
    EXPECT_EQ(document->pageText(1), "Page 2\n\n");
    EXPECT_EQ(document->pageText(3), "");
    EXPECT_EQ(pageNumbers(*document->toBytes()), (std::vector<int> { 1, 2, 3 }));
}

TEST(PdfDocument, OpenOutcomes)
{
    ikw::testing::TempHome home;
    const std::string encrypted = home.file("locked.pdf");
    testing::writeFixture(encrypted, testing::encryptedPdf(2, "s3cret"));
    const std::string damaged = home.file("damaged.pdf");
    testing::writeFixture(damaged, testing::damagedPdf(4));
    const std::string garbage = home.file("garbage.pdf");
    testing::writeFixture(garbage, "this is not a PDF at all");

    using Status = OpenResult::Status;
    struct Case {
        std::string path;
        std::string password;
        Status status;
        int pages;
    };
    const Case cases[] = {
        { encrypted, "", Status::PasswordRequired, 0 },
        { encrypted, "wrong", Status::PasswordRequired, 0 },
        { encrypted, "s3cret", Status::Opened, 2 },
        { encrypted, "s3cret-owner", Status::Opened, 2 },
        { damaged, "", Status::Opened, 4 },
        { garbage, "", Status::Failed, 0 },
        { home.file("missing.pdf"), "", Status::Failed, 0 },
        { home.path(), "", Status::Failed, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " / " + c.password);
        const OpenResult result = Document::open(c.path, c.password);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.document.has_value(), c.status == Status::Opened);
        if (result.document) {
            EXPECT_EQ(result.document->pageCount(), c.pages);
        }
    }
    EXPECT_TRUE(Document::openFile(damaged)->wasRepaired());
    EXPECT_TRUE(Document::openFile(encrypted, "s3cret")->isEncrypted());
    EXPECT_EQ(Document::openFile(damaged)->pageText(3), "Page 4\n\n");
}

TEST(PdfDocument, BoxesAndShownSizes)
{
    const std::optional<Document> document = Document::fromBytes(numberedPdf({
        { testing::kA4Page, 0 },
        { testing::kA4Page, 90 },
        { testing::kA4Page, -90 },
        { testing::kA4Page, 540 },
    }));
    ASSERT_TRUE(document);
    const int rotations[] = { 0, 90, 270, 180 };
    for (int index = 0; index < 4; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(document->pageRotation(index), rotations[index]);
        EXPECT_EQ(document->pageBox(index, PageBox::Media), testing::kA4Page);
        const bool sideways = rotations[index] % 180 != 0;
        const Size shown = sideways ? Size { 842, 595 } : Size { 595, 842 };
        EXPECT_EQ(document->pageSize(index, PageBox::Crop), shown);
    }
    EXPECT_FALSE(document->pageBox(4, PageBox::Media));
    EXPECT_FALSE(document->pageBox(-1, PageBox::Crop));

    const std::optional<Document> cropped = Document::fromBytes(testing::croppedPdf(kLetterPage, { 100, 100, 400, 900 }));
    ASSERT_TRUE(cropped);
    EXPECT_EQ(cropped->pageBox(0, PageBox::Crop), (Rect { 100, 100, 400, 792 }));
}

TEST(PdfDocument, BuilderMakesTextAndBlankPagesThatPassQpdf)
{
    DocumentBuilder builder;
    EXPECT_TRUE(builder.appendBlankPage(kLetterPage, 90, "Page 7"));
    EXPECT_TRUE(builder.appendBlankPage(testing::kA4Page));
    std::optional<Document> built = builder.finish();
    ASSERT_TRUE(built);
    EXPECT_EQ(built->pageRotation(0), 90);
    EXPECT_EQ(built->pageRotation(1), 0);
    EXPECT_EQ(built->pageBox(1, PageBox::Media), testing::kA4Page);

    ikw::testing::TempHome home;
    const std::string path = home.file("built.pdf");
    testing::writeFixture(path, *built->toBytes());
    EXPECT_EQ(pageNumbers(*built->toBytes()), (std::vector<int> { 7, 0 }));
    EXPECT_TRUE(testing::qpdfCheckPasses(path));
}

TEST(PdfDocument, TextLinesAndSearchHitsSitWhereThePageShowsThem)
{
    const std::optional<Document> document = Document::fromBytes(numberedPdf({ { kLetterPage, 0 }, { kLetterPage, 90 } }));
    ASSERT_TRUE(document);
    // "Page 1" is set 36 points in from the top left at 24 points.
    const std::vector<TextLine> lines = document->pageTextLines(0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "Page 1");
    ASSERT_EQ(lines[0].characters.size(), 6u);
    EXPECT_NEAR(lines[0].bounds.x0, 36, 1);
    EXPECT_GT(lines[0].bounds.y0, 30);
    EXPECT_LT(lines[0].bounds.y1, 70);
    EXPECT_LT(lines[0].characters[0].x1, lines[0].characters[1].x1);

    const std::vector<Rect> hits = document->search(0, "AGE");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_NEAR(hits[0].x0, lines[0].characters[1].x0, 0.5);
    EXPECT_NEAR(hits[0].x1, lines[0].characters[3].x1, 0.5);
    EXPECT_TRUE(document->search(0, "Page 2").empty());
    EXPECT_TRUE(document->search(5, "Page").empty());

    // On the page turned by 90 degrees the line runs down the right-hand edge of the shown page.
    const std::vector<TextLine> turned = document->pageTextLines(1);
    ASSERT_EQ(turned.size(), 1u);
    EXPECT_EQ(turned[0].text, "Page 2");
    EXPECT_GT(turned[0].bounds.x0, 612);
    EXPECT_GT(turned[0].bounds.height(), turned[0].bounds.width());
}

}
}
