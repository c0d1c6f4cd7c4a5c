#include "library/CoverThumbs.h"

#include "platform/core/Base64.h"
#include "platform/imaging/ImageDecoder.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace ikw::library::cover_thumbs {
namespace {

std::string streamObject(const std::string& content)
{
    return "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
}

// One page of the size, drawn by the content stream.
std::string pagePdf(int width, int height, const std::string& content)
{
    return pdf::testing::objectsPdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(width) + " " + std::to_string(height) + "] /Contents 4 0 R >>",
        streamObject(content),
    });
}

// The lower half of the page black: far from blank at any sampling.
std::string markedPdf(int width, int height)
{
    return pagePdf(width, height, "0 g 0 0 " + std::to_string(width) + " " + std::to_string(height / 2) + " re f");
}

pdf::PageImage whiteImage(int width, int height)
{
    return pdf::PageImage { .width = width, .height = height, .pixels = std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3, 255) };
}

void paint(pdf::PageImage& image, int x, int y, std::uint8_t value)
{
    const auto at = (static_cast<std::size_t>(y) * image.width + x) * 3;
    image.pixels[at] = image.pixels[at + 1] = image.pixels[at + 2] = value;
}

class CoverThumbsTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes)
    {
        const auto path = home.file(name);
        pdf::testing::writeFixture(path, bytes);
        return path;
    }

    testing::TempHome home;
};

TEST_F(CoverThumbsTest, PicturesAreTwoHundredFortyWideAndNeverEnlarged)
{
    const struct {
        int width, height;
        int pixelWidth, pixelHeight;
    } cases[] = {
        { 612, 792, 240, 311 }, // 310.59 rounds up
        { 200, 300, 200, 300 }, // narrower than 240: its own size
        { 2400, 100, 240, 10 },
    };
    for (const auto& c : cases) {
        const auto base64 = renderPageOne(write("page.pdf", markedPdf(c.width, c.height)));
        ASSERT_TRUE(base64) << c.width;
        const auto jpeg = decodeBase64(*base64);
        ASSERT_TRUE(jpeg);
        EXPECT_EQ(jpeg->substr(0, 3), "\xFF\xD8\xFF");
        pdf::testing::writeFixture(home.file("page.jpg"), *jpeg);
        const auto decoded = imaging::decodeImageFile(home.file("page.jpg"));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->width, c.pixelWidth) << c.width;
        EXPECT_EQ(decoded->height, c.pixelHeight) << c.width;
    }
}

TEST_F(CoverThumbsTest, BlankPagesOfAnyColourGiveNoPicture)
{
    EXPECT_FALSE(renderPageOne(write("white.pdf", pagePdf(612, 792, ""))));
    EXPECT_FALSE(renderPageOne(write("blue.pdf", pagePdf(612, 792, "0 0 1 rg 0 0 612 792 re f"))));
    // A dark line in pixel column 1, between the sampled columns 0 and 6, is not seen.
    EXPECT_FALSE(renderPageOne(write("line.pdf", pagePdf(612, 792, "0 g 3 0 1 792 re f"))));
    EXPECT_TRUE(renderPageOne(write("wide-line.pdf", pagePdf(612, 792, "0 g 0 0 20 792 re f"))));
}

TEST(CoverThumbsBlank, OnlyTheSampledPixelsCount)
{
    auto image = whiteImage(400, 400); // every tenth pixel is sampled
    paint(image, 5, 5, 0);
    EXPECT_TRUE(isBlank(image));
    paint(image, 10, 20, 0);
    EXPECT_FALSE(isBlank(image));

    auto grey = whiteImage(30, 30); // under 40 pixels: every pixel is sampled
    paint(grey, 29, 29, 250);
    EXPECT_TRUE(isBlank(grey)); // a spread of 0.02
    paint(grey, 13, 17, 200);
    EXPECT_FALSE(isBlank(grey));
    EXPECT_TRUE(isBlank(pdf::PageImage {}));
}

TEST_F(CoverThumbsTest, PicturesOverHalfAMebibyteAreDropped)
{
    const auto page = write("page.pdf", markedPdf(612, 792));
    const auto sized = [](std::size_t size) {
        return [size](const pdf::PageImage&, int quality) {
            EXPECT_EQ(quality, 72);
            return std::optional<std::string>(std::string(size, 'j'));
        };
    };
    const auto kept = renderPageOne(page, sized(524288));
    ASSERT_TRUE(kept);
    EXPECT_EQ(decodeBase64(*kept)->size(), 524288u);
    EXPECT_FALSE(renderPageOne(page, sized(524289)));
    EXPECT_FALSE(renderPageOne(page, sized(0)));
    EXPECT_FALSE(renderPageOne(page, [](const pdf::PageImage&, int) { return std::optional<std::string>(); }));
}

TEST_F(CoverThumbsTest, AnythingButAPdfWithAPageGivesNothing)
{
    const auto fifo = home.file("fifo.pdf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string paths[] = {
        write("notes.txt", "just some text\n"),
        write("pageless.pdf", pdf::testing::objectsPdf({ "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [] /Count 0 >>" })),
        write("tiny.pdf", markedPdf(1, 400)),
        write("garbage.pdf", "%PDF-1.7\n\x01\x02 not a document at all"),
        home.file("missing.pdf"),
        home.path(),
        fifo, // would block a reader that waited for a writer
    };
    for (const auto& path : paths)
        EXPECT_FALSE(renderPageOne(path)) << path;
}

}
}
