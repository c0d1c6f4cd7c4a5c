#include "platform/imaging/PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <vector>

namespace ikw::imaging {

namespace {

class PngWriteStruct {
public:
    PngWriteStruct()
        : m_png(png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ignoreMessage, ignoreMessage))
        , m_info(m_png ? png_create_info_struct(m_png) : nullptr)
    {
    }
    ~PngWriteStruct() { png_destroy_write_struct(&m_png, m_info ? &m_info : nullptr); }
    PngWriteStruct(const PngWriteStruct&) = delete;
    PngWriteStruct& operator=(const PngWriteStruct&) = delete;

    png_structp png() const { return m_png; }
    png_infop info() const { return m_info; }

private:
    static void ignoreMessage(png_structp, png_const_charp) { }
    png_structp m_png;
    png_infop m_info;
};

// libpng reports errors by longjmp; nothing with a destructor lives between setjmp and the calls.
void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

bool encode(png_structp png, png_infop info, std::string* out, GdkPixbuf* image, const std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, out, appendBytes, nullptr);
    const bool alpha = gdk_pixbuf_get_has_alpha(image);
    png_set_IHDR(png, info, static_cast<png_uint_32>(gdk_pixbuf_get_width(image)), static_cast<png_uint_32>(gdk_pixbuf_get_height(image)), 8,
        alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    return true;
}

}

std::optional<std::string> encodePng(GdkPixbuf* image)
{
    if (gdk_pixbuf_get_bits_per_sample(image) != 8 || gdk_pixbuf_get_colorspace(image) != GDK_COLORSPACE_RGB)
        return std::nullopt;
    PngWriteStruct writer;
    if (!writer.png() || !writer.info())
        return std::nullopt;
    guchar* pixels = gdk_pixbuf_get_pixels(image);
    const int stride = gdk_pixbuf_get_rowstride(image);
    std::vector<png_bytep> rows(static_cast<std::size_t>(gdk_pixbuf_get_height(image)));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = pixels + y * static_cast<std::size_t>(stride);
    std::string bytes;
    if (!encode(writer.png(), writer.info(), &bytes, image, rows))
        return std::nullopt;
    return bytes;
}

}
