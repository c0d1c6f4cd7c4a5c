#include "platform/pdf/PageDrawingWriter.h"

#include "platform/pdf/PageImage.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace ikw::pdf {
namespace {

using testing::writeFixture;

class PageDrawingWriterTest : public ::testing::Test {
protected:
    // Writes one copy through `draw` and opens it.
    std::optional<Document> written(const std::function<void(PageDrawingWriter&)>& draw)
    {
        const std::string path = home.file("out.pdf");
        std::unique_ptr<PageDrawingWriter> writer = PageDrawingWriter::create(path);
        EXPECT_TRUE(writer);
        if (!writer)
            return std::nullopt;
        draw(*writer);
        EXPECT_TRUE(writer->close());
        EXPECT_TRUE(testing::qpdfCheckPasses(path));
        return Document::openFile(path);
    }

    std::optional<Document> copied(const std::string& sourceBytes)
    {
        const std::optional<Document> source = Document::fromBytes(sourceBytes);
        EXPECT_TRUE(source);
        return written([&](PageDrawingWriter& writer) {
            for (int index = 0; index < source->pageCount(); ++index) {
                const Size size = *source->pageSize(index, PageBox::Media);
                EXPECT_TRUE(writer.beginPage(size));
                EXPECT_TRUE(writer.drawPage(*source, index, PageBox::Media));
                EXPECT_TRUE(writer.endPage());
            }
        });
    }

    ikw::testing::TempHome home;
};

// The pixel of a page rendered at 1 px per point, from the top left.
std::array<int, 3> pixelAt(const Document& document, int page, int x, int y)
{
    const std::optional<PageImage> image = renderPageImage(document, page, 1, PageBox::Media);
    EXPECT_TRUE(image);
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(image->width) + static_cast<std::size_t>(x)) * 3;
    return { image->pixels[at], image->pixels[at + 1], image->pixels[at + 2] };
}

TEST_F(PageDrawingWriterTest, ARotatedPageBecomesAnUprightPageOfItsShownSize)
{
    const std::optional<Document> copy = copied(testing::numberedPdf({ { kLetterPage, 90 }, { testing::kA4Page, 0 } }));
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->pageCount(), 2);
    EXPECT_EQ(copy->pageRotation(0), 0);
    EXPECT_EQ(*copy->pageBox(0, PageBox::Media), (Rect { 0, 0, 792, 612 }));
    EXPECT_EQ(*copy->pageBox(1, PageBox::Media), testing::kA4Page);
    // Text stays text, and stands where the turned source shows it (running down the page).
    const std::vector<TextLine> lines = copy->pageTextLines(0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "Page 1");
    const Document source = *Document::fromBytes(testing::numberedPdf({ { kLetterPage, 90 } }));
    const std::vector<TextLine> shown = source.pageTextLines(0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NEAR(lines[0].bounds.x0, shown[0].bounds.x0, 0.5);
    EXPECT_NEAR(lines[0].bounds.y0, shown[0].bounds.y0, 0.5);
    EXPECT_NEAR(lines[0].bounds.x1, shown[0].bounds.x1, 0.5);
    EXPECT_NEAR(lines[0].bounds.y1, shown[0].bounds.y1, 0.5);
    EXPECT_GT(lines[0].bounds.height(), lines[0].bounds.width());
}

TEST_F(PageDrawingWriterTest, TheMediaBoxIsDrawnNotTheCropBox)
{
    // "Page 1" stands at the top left of the media box, outside the crop box.
    const std::optional<Document> copy = copied(testing::croppedPdf(kLetterPage, { 200, 200, 400, 400 }));
    ASSERT_TRUE(copy);
    EXPECT_EQ(*copy->pageBox(0, PageBox::Media), kLetterPage);
    EXPECT_EQ(*copy->pageBox(0, PageBox::Crop), kLetterPage);
    EXPECT_EQ(copy->pageText(0), "Page 1\n\n");
}

TEST_F(PageDrawingWriterTest, AnnotationsAreDrawnWhileLinksDoNotSurvive)
{
    const std::optional<Document> copy = copied(testing::annotatedPdf());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->pageCount(), 2);
    EXPECT_TRUE(copy->pageAnnotations(0).empty());
}

TEST_F(PageDrawingWriterTest, TextInAType3FontIsDrawnAsShapes)
{
    // A font whose one glyph "A" is a filled 0.75 em square.
    const std::string glyph = "750 0 d0 0 0 750 750 re f";
    const std::string content = "BT /F1 100 Tf 100 500 Td (A) Tj ET";
    const std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
        "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 750 750] /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << /sq 6 0 R >>"
        " /Encoding << /Type /Encoding /Differences [65 /sq] >> /FirstChar 65 /LastChar 65 /Widths [1000] >>",
        "<< /Length " + std::to_string(glyph.size()) + " >>\nstream\n" + glyph + "\nendstream",
    };
    const std::optional<Document> copy = copied(testing::objectsPdf(objects));
    ASSERT_TRUE(copy);
    // The square spans x 100..175 and, from the top, y 217..292.
    EXPECT_EQ(pixelAt(*copy, 0, 137, 255), (std::array<int, 3> { 0, 0, 0 }));
    EXPECT_EQ(pixelAt(*copy, 0, 90, 255), (std::array<int, 3> { 255, 255, 255 }));
}

TEST_F(PageDrawingWriterTest, TextIsPlacedByItsBaselineAndMeasuredByItsAdvances)
{
    const TextExtent extent = measureText(StandardFont::helveticaBold, "ABC000042", 10);
    EXPECT_GT(extent.width, 40);
    EXPECT_LT(extent.width, 70);
    EXPECT_GT(extent.ascent, 5);
    EXPECT_GT(extent.descent, 1);
    EXPECT_DOUBLE_EQ(measureText(StandardFont::helveticaBold, "ABC000042", 20).width, 2 * extent.width);

    const std::optional<Document> copy = written([&](PageDrawingWriter& writer) {
        EXPECT_TRUE(writer.beginPage({ 300, 200 }));
        EXPECT_TRUE(writer.drawText("ABC000042", StandardFont::helveticaBold, 10, 50, 40, { 0.08, 0.09, 0.11 }));
        EXPECT_TRUE(writer.endPage());
    });
    ASSERT_TRUE(copy);
    const std::vector<TextLine> lines = copy->pageTextLines(0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "ABC000042");
    EXPECT_NEAR(lines[0].characters.front().x0, 50, 0.5);
    EXPECT_NEAR(lines[0].characters.back().x1, 50 + extent.width, 0.5);
    // From the top: the baseline is at 200 - 40, the line spans the ascender and the descender.
    EXPECT_NEAR(lines[0].bounds.y0, 160 - extent.ascent, 0.5);
    EXPECT_NEAR(lines[0].bounds.y1, 160 + extent.descent, 0.5);
}

TEST_F(PageDrawingWriterTest, ImagesFillTheirRectangleWithTheirTransparency)
{
    // 2 x 2: red, green / blue, and black at alpha 0 (white page shows through).
    const std::vector<std::uint8_t> pixels = {
        255, 0, 0, 255, 0, 255, 0, 255, //
        0, 0, 255, 255, 0, 0, 0, 0, //
    };
    const std::optional<Document> copy = written([&](PageDrawingWriter& writer) {
        EXPECT_TRUE(writer.beginPage({ 100, 100 }));
        EXPECT_TRUE(writer.drawImage({ 2, 2, pixels }, { 0, 0, 100, 100 }));
        EXPECT_TRUE(writer.endPage());
    });
    ASSERT_TRUE(copy);
    EXPECT_EQ(pixelAt(*copy, 0, 25, 25), (std::array<int, 3> { 255, 0, 0 }));
    EXPECT_EQ(pixelAt(*copy, 0, 75, 25), (std::array<int, 3> { 0, 255, 0 }));
    EXPECT_EQ(pixelAt(*copy, 0, 25, 75), (std::array<int, 3> { 0, 0, 255 }));
    EXPECT_EQ(pixelAt(*copy, 0, 75, 75), (std::array<int, 3> { 255, 255, 255 }));
}

TEST_F(PageDrawingWriterTest, MisuseAndUnwritablePathsFail)
{
    EXPECT_FALSE(PageDrawingWriter::create(home.file("missing-folder/out.pdf")));

    std::unique_ptr<PageDrawingWriter> writer = PageDrawingWriter::create(home.file("out.pdf"));
    ASSERT_TRUE(writer);
    EXPECT_FALSE(writer->drawText("x", StandardFont::helveticaBold, 10, 0, 0, {})); // no page begun
    EXPECT_TRUE(writer->failed());
    EXPECT_FALSE(writer->beginPage({ 100, 100 }));
    EXPECT_FALSE(writer->close());

    writer = PageDrawingWriter::create(home.file("out2.pdf"));
    EXPECT_FALSE(writer->beginPage({ 0, 100 }));
    writer = PageDrawingWriter::create(home.file("out3.pdf"));
    ASSERT_TRUE(writer->beginPage({ 100, 100 }));
    EXPECT_FALSE(writer->drawImage({ 3, 3, std::vector<std::uint8_t>(8) }, { 0, 0, 1, 1 }));
}

}
}
