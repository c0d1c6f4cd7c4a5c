#include "platform/pdf/PageImage.h"

#include "platform/pdf/MuPdfContext.h"
#include "platform/pdf/MuPdfOwned.h"
#include "platform/pdf/PageGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ikw::pdf {

using namespace detail;

namespace {

struct PixelSize {
    int width;
    int height;
};

std::optional<PixelSize> pixelSize(Size shown, double scale)
{
    const double width = std::round(shown.width * scale);
    const double height = std::round(shown.height * scale);
    if (!(width >= 1) || !(height >= 1) || width * height > static_cast<double>(kMaxPageImagePixels))
        return std::nullopt;
    return PixelSize { static_cast<int>(width), static_cast<int>(height) };
}

}

bool PageImage::isWhole() const
{
    const std::size_t expected = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * static_cast<std::size_t>(channels());
    return width >= 1 && height >= 1 && pixels.size() == expected;
}

namespace {

// Draws the box, turned by the rotation, stretched onto a bitmap of `size`.
std::optional<PageImage> drawPage(const Document& document, int pageIndex, Rect box, int rotation, PixelSize size, PixelFormat format)
{
    const Size shown = detail::shownSize(box, rotation);
    const fz_matrix stretch = fz_scale(static_cast<float>(size.width / shown.width), static_cast<float>(size.height / shown.height));
    fz_context* context = threadContext();
    PageImage image;
    image.width = size.width;
    image.height = size.height;
    image.format = format;
    OwnedDisplayList list;
    fz_matrix transform;
    {
        // Record the page under the document lock; drawing the recording needs no document.
        const DocumentLock lock(documentMutex());
        OwnedPage page;
        fz_try(context)
        {
            page.reset(fz_load_page(context, &document.raw()->super, pageIndex));
            // The recording is in the page's own crop-box space; undo that so that the chosen box
            // lands on the bitmap.
            fz_rect pageMediaBox;
            fz_matrix pageTransform;
            pdf_page_transform(context, reinterpret_cast<pdf_page*>(page.get()), &pageMediaBox, &pageTransform);
            transform = fz_concat(fz_concat(fz_invert_matrix(pageTransform), boxToPixels(box, rotation, 1.0)), stretch);
            list.reset(fz_new_display_list_from_page(context, page.get()));
        }
        fz_catch(context)
        {
            return std::nullopt;
        }
    }
    OwnedPixmap pixmap;
    OwnedDevice device;
    fz_try(context)
    {
        fz_colorspace* colorspace = format == PixelFormat::Rgb ? fz_device_rgb(context) : fz_device_gray(context);
        pixmap.reset(fz_new_pixmap(context, colorspace, size.width, size.height, nullptr, 0));
        fz_clear_pixmap_with_value(context, pixmap.get(), 0xff);
        device.reset(fz_new_draw_device(context, fz_identity, pixmap.get()));
        fz_run_display_list(context, list.get(), device.get(), transform, fz_infinite_rect, nullptr);
        fz_close_device(context, device.get());
    }
    fz_catch(context)
    {
        return std::nullopt;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(size.width) * static_cast<std::size_t>(image.channels());
    image.pixels.resize(rowBytes * static_cast<std::size_t>(size.height));
    const unsigned char* samples = fz_pixmap_samples(context, pixmap.get());
    const std::size_t stride = static_cast<std::size_t>(fz_pixmap_stride(context, pixmap.get()));
    for (std::size_t row = 0; row < static_cast<std::size_t>(size.height); ++row)
        std::memcpy(image.pixels.data() + row * rowBytes, samples + row * stride, rowBytes);
    return image;
}

}

std::optional<PageImage> renderPageImage(const Document& document, int pageIndex, double scale, PageBox box, PixelFormat format)
{
    const std::optional<Rect> rect = document.pageBox(pageIndex, box);
    if (!rect || !std::isfinite(scale))
        return std::nullopt;
    const int rotation = document.pageRotation(pageIndex);
    const std::optional<PixelSize> size = pixelSize(detail::shownSize(*rect, rotation), scale);
    if (!size)
        return std::nullopt;
    return drawPage(document, pageIndex, *rect, rotation, *size, format);
}

std::optional<PageImage> renderPageImageFitted(const Document& document, int pageIndex, int longEdge, PageBox box)
{
    return renderPageImageInBox(document, pageIndex, longEdge, longEdge, box);
}

std::optional<PageImage> renderPageImageInBox(const Document& document, int pageIndex, int boxWidth, int boxHeight, PageBox box)
{
    const std::optional<Rect> rect = document.pageBox(pageIndex, box);
    if (!rect || boxWidth < 1 || boxHeight < 1)
        return std::nullopt;
    const int rotation = document.pageRotation(pageIndex);
    const Size shown = detail::shownSize(*rect, rotation);
    if (!(shown.width > 0) || !(shown.height > 0))
        return std::nullopt;
    // Rounded once, from the unrounded ratio; the shorter edge never below one pixel.
    const double scale = std::min(boxWidth / shown.width, boxHeight / shown.height);
    const auto edge = [&](double side, int limit) { return std::clamp(static_cast<int>(std::lround(side * scale)), 1, limit); };
    const PixelSize size { edge(shown.width, boxWidth), edge(shown.height, boxHeight) };
    if (static_cast<long long>(size.width) * size.height > kMaxPageImagePixels)
        return std::nullopt;
    return drawPage(document, pageIndex, *rect, rotation, size, PixelFormat::Rgb);
}

std::optional<std::string> encodePng(const PageImage& image)
{
    if (!image.isWhole())
        return std::nullopt;
    fz_context* context = threadContext();
    OwnedPixmap pixmap;
    OwnedBuffer buffer;
    fz_try(context)
    {
        // The pixmap only borrows the pixels: MuPDF writes nothing into them here.
        fz_colorspace* colorspace = image.format == PixelFormat::Rgb ? fz_device_rgb(context) : fz_device_gray(context);
        pixmap.reset(fz_new_pixmap_with_data(context, colorspace, image.width, image.height, nullptr, 0,
            image.width * image.channels(), const_cast<unsigned char*>(image.pixels.data())));
        buffer.reset(fz_new_buffer_from_pixmap_as_png(context, pixmap.get(), fz_default_color_params));
    }
    fz_catch(context)
    {
        return std::nullopt;
    }
    return bufferBytes(context, buffer.get());
}

}
