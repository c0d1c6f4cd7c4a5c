#include "platform/pdf/PageImage.h"

#include "platform/pdf/testing/PdfFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>

namespace ikw::pdf {
namespace {

Document open(const std::string& bytes)
{
    std::optional<Document> document = Document::fromBytes(bytes);
    EXPECT_TRUE(document);
    return std::move(*document);
}

TEST(RenderPageImage, SizesAreTheShownBoxTimesTheScaleRounded)
{
    const Document document = open(testing::numberedPdf({ { kLetterPage, 0 }, { kLetterPage, 90 } }));
    const Document cropped = open(testing::croppedPdf(kLetterPage, { 100, 100, 400, 900 }));
    struct Case {
        const Document* document;
        int page;
        double scale;
        PageBox box;
        int width;
        int height;
    };
    const Case cases[] = {
        { &document, 0, 1.0, PageBox::Crop, 612, 792 },
        { &document, 0, 0.5, PageBox::Media, 306, 396 },
        { &document, 0, 1200.0 / 612, PageBox::Crop, 1200, 1553 },
        { &document, 1, 1.0, PageBox::Crop, 792, 612 },
        { &cropped, 0, 2.0, PageBox::Crop, 600, 1384 },
        { &cropped, 0, 1.0, PageBox::Media, 612, 792 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.page) + " at " + std::to_string(c.scale));
        const std::optional<PageImage> image = renderPageImage(*c.document, c.page, c.scale, c.box);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, c.width);
        EXPECT_EQ(image->height, c.height);
        EXPECT_EQ(image->pixels.size(), static_cast<std::size_t>(c.width) * c.height * 3);
    }
}

TEST(RenderPageImage, RefusesEmptyAndOversizedBitmaps)
{
    const Document document = open(testing::numberedPdf(1));
    // The scale at which a Letter page reaches the pixel limit.
    const double justFits = std::sqrt(79'999'999.0 / (612.0 * 792.0)) - 0.001;
    EXPECT_TRUE(renderPageImage(document, 0, 0.01, PageBox::Crop)); // 6 x 8
    EXPECT_FALSE(renderPageImage(document, 0, 0.0008, PageBox::Crop)); // under half a pixel wide
    EXPECT_FALSE(renderPageImage(document, 0, justFits + 0.01, PageBox::Crop));
    EXPECT_FALSE(renderPageImage(document, 0, std::nan(""), PageBox::Crop));
    EXPECT_FALSE(renderPageImage(document, 1, 1.0, PageBox::Crop));
    EXPECT_FALSE(renderPageImage(document, -1, 1.0, PageBox::Crop));
}

TEST(RenderPageImage, PaintsThePageOnWhite)
{
    const Document document = open(testing::numberedPdf(1));
    const std::optional<PageImage> image = renderPageImage(document, 0, 1.0, PageBox::Crop);
    ASSERT_TRUE(image);
    const auto pixel = [&](int x, int y) { return image->pixels[(static_cast<std::size_t>(y) * image->width + x) * 3]; };
    EXPECT_EQ(pixel(image->width - 1, image->height - 1), 0xff);
    // "Page 1" sits near the top left, so some dark ink is there and none at the bottom.
    int darkTop = 0;
    int darkBottom = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            darkTop += pixel(x, y) < 0x80;
            darkBottom += pixel(x, image->height - 1 - y) < 0x80;
        }
    }
    EXPECT_GT(darkTop, 50);
    EXPECT_EQ(darkBottom, 0);
}

TEST(RenderPageImage, ACropBoxAwayFromTheOriginRendersOnlyItsAreaAndAnEmptyPageIsWhite)
{
    // A black square at the crop box's lower left corner; a second page draws nothing.
    const std::string content = "0 g 100 100 10 10 re f";
    const Document document = open(testing::objectsPdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 /MediaBox [0 0 612 792] >>",
        "<< /Type /Page /Parent 2 0 R /CropBox [100 100 300 400] /Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
        "<< /Type /Page /Parent 2 0 R >>",
    }));
    const std::optional<PageImage> cropped = renderPageImage(document, 0, 1.0, PageBox::Crop);
    ASSERT_TRUE(cropped);
    ASSERT_EQ(cropped->width, 200);
    ASSERT_EQ(cropped->height, 300);
    const auto red = [&](const PageImage& image, int x, int y) { return image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 3]; };
    EXPECT_EQ(red(*cropped, 2, 297), 0x00); // the square, at the image's lower left
    EXPECT_EQ(red(*cropped, 2, 2), 0xff);
    EXPECT_EQ(red(*cropped, 197, 297), 0xff);
    const std::optional<PageImage> empty = renderPageImage(document, 1, 2.0, PageBox::Crop);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->width, 1224);
    EXPECT_EQ(empty->height, 1584);
    EXPECT_TRUE(std::all_of(empty->pixels.begin(), empty->pixels.end(), [](std::uint8_t v) { return v == 0xff; }));
    EXPECT_FALSE(renderPageImage(document, 1, 0.0004, PageBox::Crop));
}

TEST(RenderPageImage, ThreadsWithTheirOwnHandlesRenderTheSameImage)
{
    // Inline fonts make MuPDF compare the handles' resources with each other while they render.
    const std::string bytes = testing::inlineFontPdf(4);
    const std::optional<PageImage> expected = renderPageImage(open(bytes), 2, 0.5, PageBox::Crop);
    ASSERT_TRUE(expected);
    std::vector<std::optional<PageImage>> results(8);
    std::vector<std::thread> threads;
    for (std::size_t index = 0; index < results.size(); ++index) {
        threads.emplace_back([&, index] {
            for (int round = 0; round < 20; ++round) {
                const std::optional<Document> handle = Document::fromBytes(bytes);
                if (handle)
                    results[index] = renderPageImage(*handle, 2, 0.5, PageBox::Crop);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const std::optional<PageImage>& result : results) {
        ASSERT_TRUE(result);
        EXPECT_EQ(result->pixels, expected->pixels);
    }
    EXPECT_EQ(testing::pageNumbers(bytes), (std::vector<int> { 1, 2, 3, 4 }));
}

TEST(EncodePng, WritesAPngOfTheBitmapsSize)
{
    const std::optional<PageImage> image = renderPageImage(open(testing::numberedPdf(1)), 0, 0.25, PageBox::Crop);
    ASSERT_TRUE(image);
    const std::optional<std::string> png = encodePng(*image);
    ASSERT_TRUE(png);
    ASSERT_GT(png->size(), 24u);
    EXPECT_EQ(png->substr(0, 8), "\x89PNG\r\n\x1a\n");
    const auto bigEndian = [&](std::size_t at) {
        return (static_cast<unsigned char>((*png)[at]) << 24) | (static_cast<unsigned char>((*png)[at + 1]) << 16)
            | (static_cast<unsigned char>((*png)[at + 2]) << 8) | static_cast<unsigned char>((*png)[at + 3]);
    };
    EXPECT_EQ(bigEndian(16), 153); // 612 x 0.25
    EXPECT_EQ(bigEndian(20), 198);
    EXPECT_FALSE(encodePng(PageImage { 2, 2, std::vector<std::uint8_t>(5) }));
}

}
}
