#include "platform/pdf/PageDrawingWriter.h"

#include "platform/pdf/MuPdfContext.h"
#include "platform/pdf/MuPdfOwned.h"
#include "platform/pdf/PageGeometry.h"
#include "platform/pdf/WritableTextDevice.h"

#include <cmath>
#include <string>

namespace ikw::pdf {

using namespace detail;

namespace {

using OwnedFont = Owned<fz_font, fz_drop_font>;
using OwnedImage = Owned<fz_image, fz_drop_image>;
using OwnedWriter = Owned<fz_document_writer, fz_drop_document_writer>;
void dropText(fz_context* context, fz_text* text)
{
    fz_drop_text(context, text);
}
using OwnedText = Owned<fz_text, dropText>;

const char* base14Name(StandardFont font)
{
    switch (font) {
    case StandardFont::helveticaBold:
        return "Helvetica-Bold";
    }
    return "Helvetica-Bold";
}

// A new reference to the font; MuPDF keeps its base-14 faces loaded once per process. Throws.
fz_font* loadFont(fz_context* context, StandardFont font)
{
    return fz_new_base14_font(context, base14Name(font));
}

// Each character in the font, or in MuPDF's fallback font for it when the font lacks it.
struct PlacedGlyph {
    fz_font* font; // borrowed from `font` or MuPDF's fallback cache
    int glyph;
    int unicode;
    float advance; // in ems
};

template<typename Visit>
void forEachGlyph(fz_context* context, fz_font* font, std::string_view utf8, Visit visit)
{
    const std::string text(utf8);
    for (const char* at = text.c_str(); *at;) {
        int unicode = 0;
        at += fz_chartorune(&unicode, at);
        fz_font* used = font;
        const int glyph = fz_encode_character_with_fallback(context, font, unicode, 0, 0, &used);
        visit(PlacedGlyph { used, glyph, unicode, fz_advance_glyph(context, used, glyph, 0) });
    }
}

bool isPositiveFinite(double value)
{
    return std::isfinite(value) && value > 0;
}

// Copies straight RGBA into a pixmap of its colour, and its alpha into a grey one (none when every
// pixel is opaque). A PDF image with a soft mask takes unpremultiplied colour. Throws.
fz_image* newImage(fz_context* context, const RgbaPixels& image)
{
    const std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    bool opaque = true;
    for (std::size_t at = 0; at < count && opaque; ++at)
        opaque = image.pixels[at * 4 + 3] == 255;

    OwnedPixmap colour(fz_new_pixmap(context, fz_device_rgb(context), image.width, image.height, nullptr, 0));
    OwnedPixmap alpha;
    if (!opaque)
        alpha.reset(fz_new_pixmap(context, fz_device_gray(context), image.width, image.height, nullptr, 0));
    unsigned char* rgb = fz_pixmap_samples(context, colour.get());
    unsigned char* grey = alpha.get() ? fz_pixmap_samples(context, alpha.get()) : nullptr;
    const std::size_t rgbStride = static_cast<std::size_t>(fz_pixmap_stride(context, colour.get()));
    const std::size_t greyStride = grey ? static_cast<std::size_t>(fz_pixmap_stride(context, alpha.get())) : 0;
    for (std::size_t row = 0; row < static_cast<std::size_t>(image.height); ++row) {
        const std::uint8_t* source = image.pixels.data() + row * static_cast<std::size_t>(image.width) * 4;
        for (std::size_t column = 0; column < static_cast<std::size_t>(image.width); ++column) {
            unsigned char* pixel = rgb + row * rgbStride + column * 3;
            pixel[0] = source[column * 4];
            pixel[1] = source[column * 4 + 1];
            pixel[2] = source[column * 4 + 2];
            if (grey)
                grey[row * greyStride + column] = source[column * 4 + 3];
        }
    }
    OwnedImage mask;
    if (alpha.get())
        mask.reset(fz_new_image_from_pixmap(context, alpha.get(), nullptr));
    return fz_new_image_from_pixmap(context, colour.get(), mask.get());
}

}

struct PageDrawingWriter::Parts {
    OwnedWriter writer;
    fz_device* page = nullptr; // the writer's, between beginPage and endPage
    double pageHeight = 0;
    OwnedFont fonts[1];

    // PDF points (y up) to the device's space (y down from the top left corner).
    fz_matrix pdfToDevice() const { return fz_make_matrix(1, 0, 0, -1, 0, static_cast<float>(pageHeight)); }

    fz_font* font(fz_context* context, StandardFont which)
    {
        OwnedFont& slot = fonts[static_cast<int>(which)];
        if (!slot.get())
            slot.reset(loadFont(context, which));
        return slot.get();
    }
};

TextExtent measureText(StandardFont font, std::string_view utf8, double size)
{
    fz_context* context = threadContext();
    if (!context || !std::isfinite(size))
        return {};
    OwnedFont loaded;
    TextExtent extent;
    fz_try(context)
    {
        loaded.reset(loadFont(context, font));
        double ems = 0;
        forEachGlyph(context, loaded.get(), utf8, [&](const PlacedGlyph& glyph) { ems += glyph.advance; });
        extent.width = ems * size;
        extent.ascent = fz_font_ascender(context, loaded.get()) * size;
        extent.descent = -fz_font_descender(context, loaded.get()) * size;
    }
    fz_catch(context)
    {
        return {};
    }
    return extent;
}

std::unique_ptr<PageDrawingWriter> PageDrawingWriter::create(const std::string& path)
{
    const DocumentLock lock(documentMutex());
    fz_context* context = threadContext();
    if (!context)
        return nullptr;
    auto parts = std::make_unique<Parts>();
    fz_try(context)
    {
        parts->writer.reset(fz_new_pdf_writer(context, path.c_str(), "compress"));
    }
    fz_catch(context)
    {
        return nullptr;
    }
    return std::unique_ptr<PageDrawingWriter>(new PageDrawingWriter(std::move(parts)));
}

PageDrawingWriter::PageDrawingWriter(std::unique_ptr<Parts> parts)
    : m_parts(std::move(parts))
{
}

PageDrawingWriter::~PageDrawingWriter()
{
    const DocumentLock lock(documentMutex());
    m_parts.reset();
}

bool PageDrawingWriter::beginPage(Size size)
{
    const DocumentLock lock(documentMutex());
    if (m_failed || m_parts->page || !isPositiveFinite(size.width) || !isPositiveFinite(size.height))
        return !(m_failed = true);
    fz_context* context = threadContext();
    fz_try(context)
    {
        m_parts->page = fz_begin_page(context, m_parts->writer.get(),
            fz_make_rect(0, 0, static_cast<float>(size.width), static_cast<float>(size.height)));
    }
    fz_catch(context)
    {
        return !(m_failed = true);
    }
    m_parts->pageHeight = size.height;
    return true;
}

bool PageDrawingWriter::drawPage(const Document& source, int index, PageBox box)
{
    const DocumentLock lock(documentMutex());
    if (m_failed || !m_parts->page)
        return !(m_failed = true);
    fz_context* context = threadContext();
    OwnedPage page;
    OwnedDevice device;
    fz_try(context)
    {
        page.reset(fz_load_page(context, &source.raw()->super, index));
        pdf_obj* object = reinterpret_cast<pdf_page*>(page.get())->obj;
        const Rect rect = pageObjectBox(context, object, box);
        const int rotation = pageObjectRotation(context, object);
        // MuPDF runs a page in its crop box's space; undo that so that the chosen box fills the page.
        fz_rect mediaBox;
        fz_matrix pageTransform;
        pdf_page_transform(context, reinterpret_cast<pdf_page*>(page.get()), &mediaBox, &pageTransform);
        const fz_matrix transform = fz_concat(fz_invert_matrix(pageTransform), boxToPixels(rect, rotation, 1));
        device.reset(newWritableTextDevice(context, m_parts->page));
        fz_run_page(context, page.get(), device.get(), transform, nullptr);
        fz_close_device(context, device.get());
    }
    fz_catch(context)
    {
        return !(m_failed = true);
    }
    return true;
}

bool PageDrawingWriter::drawImage(const RgbaPixels& image, Rect into)
{
    const DocumentLock lock(documentMutex());
    const bool sized = image.width > 0 && image.height > 0
        && image.pixels.size() == static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4;
    if (m_failed || !m_parts->page || !sized)
        return !(m_failed = true);
    fz_context* context = threadContext();
    OwnedImage drawn;
    fz_try(context)
    {
        drawn.reset(newImage(context, image));
        // An image fills the unit square, its first row at the top.
        const fz_rect target = fz_transform_rect(fz_make_rect(static_cast<float>(into.x0), static_cast<float>(into.y0),
                                                     static_cast<float>(into.x1), static_cast<float>(into.y1)),
            m_parts->pdfToDevice());
        const fz_matrix placement = fz_make_matrix(target.x1 - target.x0, 0, 0, target.y1 - target.y0, target.x0, target.y0);
        fz_fill_image(context, m_parts->page, drawn.get(), placement, 1, fz_default_color_params);
    }
    fz_catch(context)
    {
        return !(m_failed = true);
    }
    return true;
}

bool PageDrawingWriter::drawText(std::string_view utf8, StandardFont font, double size, double x, double y, RgbColor color,
    double alpha)
{
    const DocumentLock lock(documentMutex());
    if (m_failed || !m_parts->page || !std::isfinite(size) || !std::isfinite(x) || !std::isfinite(y))
        return !(m_failed = true);
    fz_context* context = threadContext();
    OwnedText text;
    fz_try(context)
    {
        text.reset(fz_new_text(context));
        fz_matrix placement = fz_scale(static_cast<float>(size), static_cast<float>(size));
        placement.e = static_cast<float>(x);
        placement.f = static_cast<float>(y);
        forEachGlyph(context, m_parts->font(context, font), utf8, [&](const PlacedGlyph& glyph) {
            fz_show_glyph(context, text.get(), glyph.font, placement, glyph.glyph, glyph.unicode, 0, 0, FZ_BIDI_LTR, FZ_LANG_UNSET);
            placement.e += glyph.advance * static_cast<float>(size);
        });
        const float rgb[3] = { static_cast<float>(color.red), static_cast<float>(color.green), static_cast<float>(color.blue) };
        fz_fill_text(context, m_parts->page, text.get(), m_parts->pdfToDevice(), fz_device_rgb(context), rgb,
            static_cast<float>(alpha), fz_default_color_params);
    }
    fz_catch(context)
    {
        return !(m_failed = true);
    }
    return true;
}

bool PageDrawingWriter::endPage()
{
    const DocumentLock lock(documentMutex());
    if (m_failed || !m_parts->page)
        return !(m_failed = true);
    fz_context* context = threadContext();
    m_parts->page = nullptr;
    fz_try(context)
    {
        fz_end_page(context, m_parts->writer.get());
    }
    fz_catch(context)
    {
        return !(m_failed = true);
    }
    return true;
}

bool PageDrawingWriter::close()
{
    const DocumentLock lock(documentMutex());
    if (m_failed || m_parts->page)
        return !(m_failed = true);
    fz_context* context = threadContext();
    fz_try(context)
    {
        fz_close_document_writer(context, m_parts->writer.get());
    }
    fz_catch(context)
    {
        return !(m_failed = true);
    }
    return true;
}

}
