#include "platform/imaging/thumbnails/images/PngRowDecoder.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace ikw::thumbnail {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

class PngReadStruct {
public:
    PngReadStruct()
        : m_png(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ignoreMessage, ignoreMessage))
        , m_info(m_png ? png_create_info_struct(m_png) : nullptr)
    {
    }
    ~PngReadStruct() { png_destroy_read_struct(&m_png, m_info ? &m_info : nullptr, nullptr); }
    PngReadStruct(const PngReadStruct&) = delete;
    PngReadStruct& operator=(const PngReadStruct&) = delete;

    png_structp png() const { return m_png; }
    png_infop info() const { return m_info; }

private:
    static void ignoreMessage(png_structp, png_const_charp) { }
    png_structp m_png;
    png_infop m_info;
};

struct Header {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool interlaced = false;
    bool opaque = true;
};

// libpng reports errors by longjmp: the two functions that call it keep nothing with a destructor
// between their setjmp and their calls, and write only into storage their caller owns.
bool readHeader(png_structp png, png_infop info, std::FILE* file, Header* header)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_read_info(png, info);
    header->width = png_get_image_width(png, info);
    header->height = png_get_image_height(png, info);
    header->interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    const int colorType = png_get_color_type(png, info);
    header->opaque = !(colorType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS);
    // Every row as 8-bit RGBA, whatever the file stores.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    return png_get_rowbytes(png, info) == static_cast<png_size_t>(header->width) * 4;
}

// Sums of one output row while the source rows that fall into it are read: colours weighted by
// alpha, so that transparent pixels lend no colour to their neighbours.
class RowAverager {
public:
    RowAverager(std::uint32_t sourceWidth, int width, GdkPixbuf* target)
        : m_sourceWidth(sourceWidth)
        , m_width(static_cast<std::uint32_t>(width))
        , m_sums(static_cast<std::size_t>(width) * 4)
        , m_columnOf(sourceWidth)
        , m_columnCounts(static_cast<std::size_t>(width))
        , m_target(target)
    {
        for (std::uint32_t x = 0; x < sourceWidth; ++x) {
            m_columnOf[x] = static_cast<std::uint32_t>(static_cast<std::uint64_t>(x) * m_width / sourceWidth);
            ++m_columnCounts[m_columnOf[x]];
        }
    }

    void add(const png_byte* row)
    {
        for (std::uint32_t x = 0; x < m_sourceWidth; ++x, row += 4) {
            std::uint64_t* sum = &m_sums[static_cast<std::size_t>(m_columnOf[x]) * 4];
            const std::uint32_t alpha = row[3];
            sum[0] += row[0] * alpha;
            sum[1] += row[1] * alpha;
            sum[2] += row[2] * alpha;
            sum[3] += alpha;
        }
        ++m_rows;
    }

    // Writes the averages into output row `y` and starts the next row.
    void flushInto(int y)
    {
        guchar* out = gdk_pixbuf_get_pixels(m_target) + static_cast<std::size_t>(y) * static_cast<std::size_t>(gdk_pixbuf_get_rowstride(m_target));
        const int channels = gdk_pixbuf_get_n_channels(m_target);
        for (std::uint32_t x = 0; x < m_width; ++x, out += channels) {
            std::uint64_t* sum = &m_sums[static_cast<std::size_t>(x) * 4];
            const std::uint64_t count = static_cast<std::uint64_t>(m_columnCounts[x]) * m_rows;
            const std::uint64_t alphaSum = sum[3];
            for (int c = 0; c < 3; ++c)
                out[c] = alphaSum ? static_cast<guchar>((sum[c] + alphaSum / 2) / alphaSum) : 0;
            if (channels == 4)
                out[3] = count ? static_cast<guchar>((alphaSum + count / 2) / count) : 0;
            sum[0] = sum[1] = sum[2] = sum[3] = 0;
        }
        m_rows = 0;
    }

    std::uint32_t rows() const { return m_rows; }

private:
    std::uint32_t m_sourceWidth;
    std::uint32_t m_width;
    std::vector<std::uint64_t> m_sums;
    std::vector<std::uint32_t> m_columnOf;
    std::vector<std::uint32_t> m_columnCounts;
    GdkPixbuf* m_target;
    std::uint32_t m_rows = 0;
};

bool readRows(png_structp png, png_bytep row, png_uint_32 sourceHeight, int height, RowAverager* averager)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    int current = 0;
    for (png_uint_32 y = 0; y < sourceHeight; ++y) {
        png_read_row(png, row, nullptr);
        const int target = static_cast<int>(static_cast<std::uint64_t>(y) * static_cast<std::uint64_t>(height) / sourceHeight);
        if (target != current) {
            averager->flushInto(current);
            current = target;
        }
        averager->add(row);
    }
    if (averager->rows() > 0)
        averager->flushInto(current);
    // What follows the last row (text, time) is not needed: a file cut short after its pixels
    // still makes its thumbnail.
    return true;
}

}

PngRowResult decodePngFitted(const std::string& path, int pixelEdge)
{
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rbe"));
    PngReadStruct reader;
    Header header;
    if (!file || !reader.png() || !reader.info() || !readHeader(reader.png(), reader.info(), file.get(), &header))
        return {};
    if (header.interlaced)
        return { PngRowResult::Status::NotStreamable, {} };
    const FittedSize fitted = fitInSquare(header.width, header.height, pixelEdge, false);
    if (fitted.width < 1 || fitted.height < 1)
        return {};
    Pixbuf image = Pixbuf::adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, !header.opaque, 8, fitted.width, fitted.height));
    if (!image)
        return {};
    std::vector<png_byte> row(static_cast<std::size_t>(header.width) * 4);
    RowAverager averager(header.width, fitted.width, image.get());
    if (!readRows(reader.png(), row.data(), header.height, fitted.height, &averager))
        return {};
    return { PngRowResult::Status::Decoded, std::move(image) };
}

}
