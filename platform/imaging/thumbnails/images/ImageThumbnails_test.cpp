#include "platform/imaging/thumbnails/images/DesktopThumbnailers.h"
#include "platform/imaging/thumbnails/SystemRenderer.h"
#include "platform/imaging/thumbnails/images/ImageRenderer.h"
#include "platform/imaging/thumbnails/testing/PngFixture.h"

#include "platform/core/FileSystem.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace ikw::thumbnail {
namespace {

// HOME and XDG folders in a temporary home. The system data folder stays last: GIO reads the
// MIME database from it.
class RenderTest : public ::testing::Test {
protected:
    RenderTest() { ::setenv("XDG_DATA_DIRS", (home.file("system-share") + ":/usr/share").c_str(), 1); }
    ~RenderTest() override { ::unsetenv("XDG_DATA_DIRS"); }

    std::string savePng(const std::string& name, int width, int height)
    {
        Pixbuf image = Pixbuf::adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height));
        gdk_pixbuf_fill(image.get(), 0x3366ccff);
        const std::string path = home.file(name);
        EXPECT_TRUE(gdk_pixbuf_save(image.get(), path.c_str(), "png", nullptr, nullptr));
        return path;
    }

    testing::TempHome home;
    SystemRenderer renderer { IMAGE_MODULE };
};

// A JPEG whose EXIF orientation says "turn 90 degrees clockwise to show" (value 6).
std::string jpegWithOrientationSix(const std::string& path, int width, int height)
{
    Pixbuf image = Pixbuf::adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height));
    gdk_pixbuf_fill(image.get(), 0xcc3333ff);
    gchar* buffer = nullptr;
    gsize size = 0;
    EXPECT_TRUE(gdk_pixbuf_save_to_buffer(image.get(), &buffer, &size, "jpeg", nullptr, nullptr));
    std::string jpeg(buffer, size);
    g_free(buffer);
    // APP1 "Exif": big-endian TIFF header, one IFD entry: Orientation (0x0112), SHORT, 1, value 6.
    const std::string tiff = std::string("MM\0\x2a\0\0\0\x08", 8) + std::string("\0\x01", 2)
        + std::string("\x01\x12\0\x03\0\0\0\x01\0\x06\0\0", 12) + std::string("\0\0\0\0", 4);
    const std::string payload = std::string("Exif\0\0", 6) + tiff;
    const std::size_t length = payload.size() + 2;
    const std::string app1 = std::string("\xff\xe1", 2) + static_cast<char>(length >> 8) + static_cast<char>(length & 0xff) + payload;
    jpeg.insert(2, app1);
    testing::writeTestFile(path, jpeg);
    return path;
}

struct Rendered {
    bool ok;
    int width;
    int height;
    unsigned firstPixel = 0; // 0xRRGGBB
};

Rendered decoded(const std::optional<std::string>& png)
{
    if (!png)
        return { false, 0, 0 };
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", nullptr);
    gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(png->data()), png->size(), nullptr);
    gdk_pixbuf_loader_close(loader, nullptr);
    GdkPixbuf* image = gdk_pixbuf_loader_get_pixbuf(loader);
    Rendered rendered { image != nullptr, image ? gdk_pixbuf_get_width(image) : 0, image ? gdk_pixbuf_get_height(image) : 0 };
    if (image) {
        const guchar* pixel = gdk_pixbuf_get_pixels(image);
        rendered.firstPixel = static_cast<unsigned>(pixel[0] << 16 | pixel[1] << 8 | pixel[2]);
    }
    g_object_unref(loader);
    return rendered;
}

Rendered render(ThumbnailRenderer& renderer, const std::string& source, int edge)
{
    return decoded(renderer.render(source, edge));
}

TEST_F(RenderTest, ImagesFitTheSquareTurnedByTheirOrientationAndNeverEnlarged)
{
    const auto jpeg = render(renderer, jpegWithOrientationSix(home.file("photo.jpg"), 400, 200), 100);
    EXPECT_TRUE(jpeg.ok);
    EXPECT_EQ(jpeg.width, 50);
    EXPECT_EQ(jpeg.height, 100);

    const auto small = render(renderer, savePng("small.png", 100, 50), 512);
    EXPECT_TRUE(small.ok);
    EXPECT_EQ(small.width, 100);
    EXPECT_EQ(small.height, 50);

    testing::writeTestFile(home.file("drawing.svg"),
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="2000" height="1000"><rect width="2000" height="1000" fill="#2a6"/></svg>)");
    const auto svg = render(renderer, home.file("drawing.svg"), 512);
    EXPECT_TRUE(svg.ok);
    EXPECT_EQ(svg.width, 512);
    EXPECT_EQ(svg.height, 256);
}

TEST_F(RenderTest, BoxesAreFilledAlongTheSideThatLimitsTheFit)
{
    const PixelBox cover { 660, 854 };
    const struct {
        std::string source;
        int width, height;
    } cases[] = {
        { savePng("tall.png", 1000, 4000), 214, 854 },
        { savePng("wide.png", 3000, 1000), 660, 220 },
        { savePng("small.png", 100, 50), 100, 50 }, // never enlarged
        { home.file("letter.pdf"), 660, 854 },      // 612 x 792 points
        { home.file("landscape.pdf"), 660, 510 },   // the same page turned
    };
    pdf::testing::writeFixture(home.file("letter.pdf"), pdf::testing::numberedPdf(1));
    pdf::testing::writeFixture(home.file("landscape.pdf"), pdf::testing::numberedPdf({ { .mediaBox = pdf::kLetterPage, .rotation = 90 } }));
    for (const auto& c : cases) {
        const auto image = decoded(renderer.renderInBox(c.source, cover));
        EXPECT_TRUE(image.ok) << c.source;
        EXPECT_EQ(image.width, c.width) << c.source;
        EXPECT_EQ(image.height, c.height) << c.source;
    }
}

TEST_F(RenderTest, TheLongerEdgeIsTheSizeAndTheShorterAtLeastOnePixel)
{
    struct Case {
        int width;
        int height;
        int edge;
        int outWidth;
        int outHeight;
    };
    const Case cases[] = {
        { 3000, 100, 128, 128, 4 },
        { 100, 3000, 128, 4, 128 },
        { 20000, 10, 128, 128, 1 },
        { 999, 333, 512, 512, 171 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        ASSERT_TRUE(testing::writeUniformPng(home.file("wide.png"), c.width, c.height, 0x3366cc));
        const auto png = render(renderer, home.file("wide.png"), c.edge);
        EXPECT_TRUE(png.ok);
        EXPECT_EQ(png.width, c.outWidth);
        EXPECT_EQ(png.height, c.outHeight);
        EXPECT_EQ(png.firstPixel, 0x3366ccu);
        // The same through a decoder that does not read row by row.
        Pixbuf wide = Pixbuf::adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, c.width, c.height));
        gdk_pixbuf_fill(wide.get(), 0x3366ccff);
        ASSERT_TRUE(gdk_pixbuf_save(wide.get(), home.file("wide.bmp").c_str(), "bmp", nullptr, nullptr));
        const auto bmp = render(renderer, home.file("wide.bmp"), c.edge);
        EXPECT_EQ(bmp.width, c.outWidth);
        EXPECT_EQ(bmp.height, c.outHeight);
    }
}

TEST_F(RenderTest, ImagesBeyondTheDecodeBudgetFailWithoutDecoding)
{
    // A BMP header for 20000 x 20000 pixels (400 million, beyond the whole budget) and no pixels.
    std::string bmp = "BM";
    const auto le32 = [&](std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            bmp += static_cast<char>(value >> shift & 0xff);
    };
    const auto le16 = [&](std::uint16_t value) { bmp += static_cast<char>(value & 0xff), bmp += static_cast<char>(value >> 8); };
    le32(54 + 16), le32(0), le32(54);
    le32(40), le32(20000), le32(20000), le16(1), le16(24), le32(0), le32(16), le32(2835), le32(2835), le32(0), le32(0);
    bmp += std::string(16, '\x7f');
    testing::writeTestFile(home.file("huge.bmp"), bmp);
    int width = 0, height = 0;
    ASSERT_TRUE(gdk_pixbuf_get_file_info(home.file("huge.bmp").c_str(), &width, &height));
    ASSERT_EQ(width, 20000);
    EXPECT_FALSE(render(renderer, home.file("huge.bmp"), 256).ok);
}

TEST_F(RenderTest, InterlacedPngsAndFilesThatOnlyMentionPdfRenderAsWhatTheyAre)
{
    ASSERT_TRUE(testing::writeUniformPng(home.file("interlaced.png"), 900, 300, 0x208040, true));
    const auto interlaced = render(renderer, home.file("interlaced.png"), 300);
    EXPECT_TRUE(interlaced.ok);
    EXPECT_EQ(interlaced.width, 300);
    EXPECT_EQ(interlaced.height, 100);
    EXPECT_EQ(interlaced.firstPixel, 0x208040u);

    // "%PDF-" within the first kilobyte makes a file a PDF candidate, not a PDF.
    testing::writeTestFile(home.file("about-pdf.svg"),
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="400" height="200"><!-- %PDF-1.7 --><rect width="400" height="200" fill="#c33"/></svg>)");
    const auto svg = render(renderer, home.file("about-pdf.svg"), 100);
    EXPECT_TRUE(svg.ok);
    EXPECT_EQ(svg.width, 100);
    EXPECT_EQ(svg.height, 50);
}

TEST(DecodeBudget, ScaledDecodersCountOnlyThePixelsTheyHold)
{
    const FittedSize thumb { 256, 192 };
    EXPECT_EQ(decodePixels("jpeg", 8000, 6000, thumb), 1000u * 750u);
    EXPECT_EQ(decodePixels("jpeg", 300, 200, { 256, 171 }), 300u * 200u);
    EXPECT_EQ(decodePixels("svg", 8000, 6000, thumb), 256u * 192u);
    EXPECT_EQ(decodePixels("tiff", 8000, 6000, thumb), 8000u * 6000u);

    PixelBudget budget(100);
    EXPECT_FALSE(budget.reserve(101));
    std::optional<PixelBudget::Lease> first = budget.reserve(60);
    ASSERT_TRUE(first);
    std::atomic<bool> second = false;
    std::thread waiter([&] {
        const auto lease = budget.reserve(60);
        second = lease.has_value();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(second) << "waits until the first lease is given back";
    first.reset();
    waiter.join();
    EXPECT_TRUE(second);
}

TEST_F(RenderTest, PdfFirstPageFillsTheSquareAlongItsLongerEdge)
{
    namespace fixtures = pdf::testing;
    fixtures::writeFixture(home.file("letter.pdf"), fixtures::numberedPdf(3));
    const auto portrait = render(renderer, home.file("letter.pdf"), 512);
    EXPECT_TRUE(portrait.ok);
    EXPECT_EQ(portrait.height, 512);
    EXPECT_EQ(portrait.width, 396); // 612 x 792 points

    fixtures::writeFixture(home.file("turned.pdf"), fixtures::numberedPdf({ { pdf::kLetterPage, 90 } }));
    const auto turned = render(renderer, home.file("turned.pdf"), 512);
    EXPECT_EQ(turned.width, 512);
    EXPECT_EQ(turned.height, 396);

    // Repairable damage still renders; a file that only claims to be a PDF does not.
    fixtures::writeFixture(home.file("repairable.pdf"), fixtures::damagedPdf(2));
    EXPECT_TRUE(render(renderer, home.file("repairable.pdf"), 256).ok);
    testing::writeTestFile(home.file("broken.pdf"), "%PDF-1.7\n1 0 obj << /Type /Catalog >> garbage");
    EXPECT_FALSE(render(renderer, home.file("broken.pdf"), 256).ok);
}

TEST_F(RenderTest, WithoutTheImageModuleOnlyPdfsRender)
{
    SystemRenderer withoutImages { home.file("missing/libikw_thumbnail_images.so") };
    EXPECT_FALSE(render(withoutImages, savePng("small.png", 100, 50), 512).ok);
    pdf::testing::writeFixture(home.file("one.pdf"), pdf::testing::numberedPdf(1));
    EXPECT_TRUE(render(withoutImages, home.file("one.pdf"), 512).ok);
}

TEST_F(RenderTest, FilesWithoutARendererFail)
{
    testing::writeTestFile(home.file("notes.txt"), "plain text\n");
    EXPECT_FALSE(render(renderer, home.file("notes.txt"), 256).ok);
    EXPECT_FALSE(render(renderer, home.file("missing.png"), 256).ok);
    testing::writeTestFile(home.file("broken.png"), "\x89PNG\r\n\x1a\n garbage");
    EXPECT_FALSE(render(renderer, home.file("broken.png"), 256).ok);
}

TEST_F(RenderTest, DesktopThumbnailerGetsTheSourceAsOneArgumentWhateverItsName)
{
    const std::string stub = testing::writeTestFile(home.file("bin/stub-thumbnailer"),
        "#!/bin/sh\n# input output size\n[ -f \"$1\" ] || exit 1\n[ \"$3\" = 256 ] || exit 1\ncp \"$STUB_IMAGE\" \"$2\"\n");
    ::chmod(stub.c_str(), 0755);
    ::setenv("STUB_IMAGE", savePng("stub.png", 300, 150).c_str(), 1);
    testing::writeTestFile(home.file(".local/share/thumbnailers/stub.thumbnailer"),
        "[Thumbnailer Entry]\nTryExec=" + stub + "\nExec=" + stub + " %i %o %s\nMimeType=text/csv;\n");

    const std::string source = testing::writeTestFile(home.file("odd name 'with\" quotes.csv"), "a,b\n1,2\n");
    const auto rendered = render(renderer, source, 256);
    ::unsetenv("STUB_IMAGE");
    EXPECT_TRUE(rendered.ok);
    EXPECT_EQ(rendered.width, 256);
    EXPECT_EQ(rendered.height, 128);
}

TEST(DesktopThumbnailer, CodesAreSubstitutedPerArgument)
{
    DesktopThumbnailer thumbnailer;
    thumbnailer.exec = { "/bin/tool", "-s", "%s", "--in=%i", "%u", "%o", "100%%", "%x" };
    EXPECT_EQ(thumbnailer.argumentsFor("/a b/c's.txt", "/t/o.png", 64),
        (std::vector<std::string> { "/bin/tool", "-s", "64", "--in=/a b/c's.txt", "file:///a%20b/c's.txt", "/t/o.png", "100%", "" }));
}

}
}
