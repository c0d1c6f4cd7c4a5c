#include "platform/pdf/Document.h"

#include "platform/pdf/DocumentBuilder.h"
#include "platform/pdf/EditableDocument.h"
#include "platform/pdf/PageImage.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdio>

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

// Two pages written straight into the tree's /Kids (no object numbers of their own), with a
// well-formed cross-reference table, so that nothing is repaired on the way in.
std::string directPagesPdf()
{
    const std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Count 2 /Kids ["
        " << /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Contents 3 0 R /Resources << /Font << /F1 4 0 R >> >> >>"
        " << /Type /Page /Parent 2 0 R /MediaBox [0 0 300 400] /Rotate 90 >> ] >>",
        "<< /Length 36 >>\nstream\nBT /F1 12 Tf 10 50 Td (Direct) Tj ET\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    };
    std::string bytes = "%PDF-1.7\n";
    std::vector<std::size_t> offsets;
    for (std::size_t index = 0; index < objects.size(); ++index) {
        offsets.push_back(bytes.size());
        bytes += std::to_string(index + 1) + " 0 obj\n" + objects[index] + "\nendobj\n";
    }
    const std::size_t xref = bytes.size();
    bytes += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets) {
        char line[21];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        bytes += line;
    }
    bytes += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return bytes;
}

TEST(PdfDocument, PagesThatAreDirectObjectsInTheTreeOpenLikeAnyOther)
{
    const std::optional<Document> document = Document::fromBytes(directPagesPdf());
    ASSERT_TRUE(document);
    EXPECT_FALSE(document->wasRepaired());
    ASSERT_EQ(document->pageCount(), 2);
    EXPECT_EQ(document->pageSize(0, PageBox::Crop), (Size { 200, 100 }));
    EXPECT_EQ(document->pageSize(1, PageBox::Crop), (Size { 400, 300 }));
    EXPECT_EQ(document->pageRotation(1), 90);
    EXPECT_EQ(document->pageText(0), "Direct\n\n");
    EXPECT_EQ(document->pageTextLines(0).size(), 1u);
    const std::optional<PageImage> image = renderPageImage(*document, 1, 0.5, PageBox::Crop);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 200);
    EXPECT_EQ(image->height, 150);
    EXPECT_EQ(pageNumbers(*document->toBytes()).size(), 2u);

    // Page edits on qpdf see the same two pages.
    std::optional<EditableDocument> editable = EditableDocument::fromBytes(directPagesPdf());
    ASSERT_TRUE(editable);
    ASSERT_TRUE(editable->rearrange(std::vector { PagePick::page(1), PagePick::page(0) }));
    const std::optional<Document> edited = Document::fromBytes(*editable->toBytes());
    ASSERT_TRUE(edited);
    ASSERT_EQ(edited->pageCount(), 2);
    EXPECT_EQ(edited->pageSize(0, PageBox::Crop), (Size { 400, 300 }));
    EXPECT_EQ(edited->pageText(1), "Direct\n\n");
}

}
}
