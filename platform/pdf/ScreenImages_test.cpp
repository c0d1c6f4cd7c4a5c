#include "platform/pdf/ScreenImages.h"

#include "platform/pdf/PageImage.h"
#include "platform/pdf/testing/PdfFixtures.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace ikw::pdf {
namespace {

std::string stream(const std::string& dictionary, const std::string& data)
{
    return "<< " + dictionary + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

// Grainy samples, as photographs have: JPEG stores them far smaller than they are.
std::string grain(std::size_t bytes)
{
    std::string data(bytes, '\0');
    unsigned state = 7;
    for (std::size_t index = 0; index < bytes; ++index) {
        state = state * 1103515245u + 12345u;
        data[index] = static_cast<char>(96 + (index / 3 % 600) / 8 + (state >> 16) % 16);
    }
    return data;
}

std::string deflated(const std::string& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()), 9);
    out.resize(size);
    return out;
}

// One page drawing the image object `imageDictionary` (with `data`) 100 points wide, directly
// or through a form that halves it.
std::string pageWithImage(const std::string& imageDictionary, const std::string& data, bool throughForm = false)
{
    const std::string draw = throughForm ? "q 200 0 0 200 50 50 cm /Fm Do Q" : "q 100 0 0 100 50 50 cm /Im Do Q";
    return testing::objectsPdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 612 792] >>",
        "<< /Type /Page /Parent 2 0 R /Contents 4 0 R /Resources << /XObject << /Im 5 0 R /Fm 6 0 R >> >> >>",
        stream("", draw),
        stream("/Type /XObject /Subtype /Image /Width 600 /Height 600 " + imageDictionary, data),
        stream("/Type /XObject /Subtype /Form /BBox [0 0 1 1] /Matrix [0.5 0 0 0.5 0 0] /Resources << /XObject << /Im 5 0 R >> >>",
            "/Im Do"),
    });
}

TEST(ScreenImages, OnlyImagesJpegServesAreRewrittenAtTheirDrawnSize)
{
    const std::string rgb = grain(600 * 600 * 3);
    struct Case {
        const char* what;
        std::string pdf;
        int rewritten;
        const char* size; // in the written file
    } cases[] = {
        { "RGB drawn 100 points wide: 209 pixels give 150 ppi", pageWithImage("/ColorSpace /DeviceRGB /BitsPerComponent 8", rgb), 1,
            "/Width 209" },
        { "drawn through a form at half that size", pageWithImage("/ColorSpace /DeviceRGB /BitsPerComponent 8", rgb, true), 1, "/Width 209" },
        { "grey keeps its colour space", pageWithImage("/ColorSpace /DeviceGray /BitsPerComponent 8", grain(600 * 600)), 1, "/DeviceGray" },
        { "one bit per sample", pageWithImage("/ColorSpace /DeviceGray /BitsPerComponent 1", grain(75 * 600)), 0, "/Width 600" },
        { "an image mask", pageWithImage("/ImageMask true /BitsPerComponent 1", grain(75 * 600)), 0, "/Width 600" },
        { "a colour-key mask", pageWithImage("/ColorSpace /DeviceRGB /BitsPerComponent 8 /Mask [0 10 0 10 0 10]", rgb), 0, "/Width 600" },
        { "flat colour, which Flate stores in less than JPEG", pageWithImage("/ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode",
              deflated(std::string(600 * 600 * 3, '\x40'))), 0, "/Width 600" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto document = Document::fromBytes(c.pdf);
        ASSERT_TRUE(document);
        EXPECT_EQ(rewriteImagesForScreen(*document), c.rewritten);
        WriteOptions options;
        options.dropUnusedObjects = true;
        const auto bytes = document->toBytes(options);
        ASSERT_TRUE(bytes);
        EXPECT_NE(bytes->find(c.size), std::string::npos);
        EXPECT_EQ(bytes->find("/DCTDecode") != std::string::npos, c.rewritten == 1);
        if (c.rewritten == 1) {
            EXPECT_LT(bytes->size(), c.pdf.size() / 10) << "the old samples left the file";
            const auto reread = Document::fromBytes(*bytes);
            ASSERT_TRUE(reread);
            EXPECT_TRUE(renderPageImage(*reread, 0, 1.0, PageBox::Media));
        }
    }
}

TEST(ScreenImages, JpegEncodingTakesGreyAndColourAndRefusesPartialBitmaps)
{
    const PageImage grey { 4, 2, std::vector<std::uint8_t>(8, 128), PixelFormat::Grey };
    const PageImage colour { 4, 2, std::vector<std::uint8_t>(24, 200), PixelFormat::Rgb };
    for (const PageImage& image : { grey, colour }) {
        const auto jpeg = encodeJpeg(image, 75);
        ASSERT_TRUE(jpeg);
        EXPECT_EQ(jpeg->substr(0, 2), "\xff\xd8");
    }
    EXPECT_FALSE(encodeJpeg(PageImage { 4, 2, std::vector<std::uint8_t>(8, 0), PixelFormat::Rgb }, 75));
}

}
}
