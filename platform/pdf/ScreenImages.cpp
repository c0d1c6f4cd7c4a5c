#include "platform/pdf/ScreenImages.h"

#include "platform/pdf/MuPdfContext.h"
#include "platform/pdf/MuPdfOwned.h"
#include "platform/pdf/PageImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

namespace ikw::pdf {

using namespace detail;

namespace {

using OwnedImage = Owned<fz_image, fz_drop_image>;
using OwnedProcessor = Owned<pdf_processor, pdf_drop_processor>;

// The largest size, in points, at which the pages draw an image, along its own two axes.
struct DrawnSize {
    double width = 0;
    double height = 0;
};

// What a walk through the pages' content has seen so far, and where it stands.
struct ContentWalk {
    pdf_document* document = nullptr;
    std::vector<fz_matrix> transforms { fz_identity };
    std::vector<pdf_obj*> resources;
    std::map<int, DrawnSize> drawn; // by image object number
    int formDepth = 0;
};

// A content processor that follows the transformation and notes where images are drawn.
struct ImageSizeProcessor {
    pdf_processor super;
    ContentWalk* walk;
};

constexpr int kMostNestedForms = 16;

ContentWalk& walkOf(pdf_processor* processor)
{
    return *reinterpret_cast<ImageSizeProcessor*>(processor)->walk;
}

void saveState(fz_context*, pdf_processor* processor)
{
    ContentWalk& walk = walkOf(processor);
    walk.transforms.push_back(walk.transforms.back());
}

void restoreState(fz_context*, pdf_processor* processor)
{
    ContentWalk& walk = walkOf(processor);
    if (walk.transforms.size() > 1)
        walk.transforms.pop_back();
}

void concatTransform(fz_context*, pdf_processor* processor, float a, float b, float c, float d, float e, float f)
{
    ContentWalk& walk = walkOf(processor);
    walk.transforms.back() = fz_concat(fz_make_matrix(a, b, c, d, e, f), walk.transforms.back());
}

void noteImage(fz_context* context, pdf_processor* processor, const char* name, fz_image*)
{
    ContentWalk& walk = walkOf(processor);
    if (!name || walk.resources.empty())
        return;
    pdf_obj* image = pdf_dict_gets(context, pdf_dict_get(context, walk.resources.back(), PDF_NAME(XObject)), name);
    if (!pdf_is_indirect(context, image))
        return;
    const fz_matrix& m = walk.transforms.back();
    DrawnSize& size = walk.drawn[pdf_to_num(context, image)];
    size.width = std::max(size.width, std::hypot(static_cast<double>(m.a), static_cast<double>(m.b)));
    size.height = std::max(size.height, std::hypot(static_cast<double>(m.c), static_cast<double>(m.d)));
}

void walkForm(fz_context* context, pdf_processor* processor, const char*, pdf_obj* form, pdf_obj*)
{
    ContentWalk& walk = walkOf(processor);
    if (walk.formDepth >= kMostNestedForms || walk.resources.empty())
        return;
    pdf_obj* resources = pdf_dict_get(context, form, PDF_NAME(Resources));
    if (!resources)
        resources = walk.resources.back();
    const std::size_t depth = walk.transforms.size();
    walk.transforms.push_back(fz_concat(pdf_dict_get_matrix(context, form, PDF_NAME(Matrix)), walk.transforms.back()));
    walk.resources.push_back(resources);
    ++walk.formDepth;
    fz_try(context)
    {
        pdf_process_contents(context, processor, walk.document, resources, form, nullptr);
    }
    fz_always(context)
    {
        --walk.formDepth;
        walk.resources.pop_back();
        walk.transforms.resize(depth);
    }
    fz_catch(context)
    {
        // A broken form draws nothing more; the rest of the page is still read.
    }
}

pdf_processor* newImageSizeProcessor(fz_context* context, ContentWalk& walk)
{
    auto* processor = static_cast<ImageSizeProcessor*>(pdf_new_processor(context, sizeof(ImageSizeProcessor)));
    processor->walk = &walk;
    processor->super.op_q = saveState;
    processor->super.op_Q = restoreState;
    processor->super.op_cm = concatTransform;
    processor->super.op_Do_image = noteImage;
    processor->super.op_Do_form = walkForm;
    return &processor->super;
}

// Every image the page's content and its annotations' appearances draw, with its largest size.
void walkPage(fz_context* context, pdf_document* document, int index, pdf_processor* processor, ContentWalk& walk)
{
    Owned<fz_page, fz_drop_page> page;
    fz_try(context)
    {
        page.reset(fz_load_page(context, &document->super, index));
        auto* pdfPage = reinterpret_cast<pdf_page*>(page.get());
        walk.resources = { pdf_page_resources(context, pdfPage) };
        walk.transforms = { fz_identity };
        pdf_process_contents(context, processor, document, walk.resources.front(), pdf_page_contents(context, pdfPage), nullptr);
        for (pdf_annot* annotation = pdf_first_annot(context, pdfPage); annotation; annotation = pdf_next_annot(context, annotation)) {
            walk.resources = { pdf_page_resources(context, pdfPage) };
            walk.transforms = { fz_identity };
            pdf_process_annot(context, processor, annotation, nullptr);
        }
    }
    fz_catch(context)
    {
        // A page that cannot be read keeps its images as they are.
    }
}

std::map<int, DrawnSize> drawnImageSizes(fz_context* context, pdf_document* document)
{
    ContentWalk walk;
    walk.document = document;
    OwnedProcessor processor;
    fz_try(context)
    {
        processor.reset(newImageSizeProcessor(context, walk));
        const int count = pdf_count_pages(context, document);
        for (int index = 0; index < count; ++index)
            walkPage(context, document, index, processor.get(), walk);
        pdf_close_processor(context, processor.get());
    }
    fz_catch(context)
    {
        return {};
    }
    return walk.drawn;
}

bool hasFilter(fz_context* context, pdf_obj* image, pdf_obj* name)
{
    pdf_obj* filter = pdf_dict_get(context, image, PDF_NAME(Filter));
    if (pdf_is_array(context, filter)) {
        for (int index = 0; index < pdf_array_len(context, filter); ++index) {
            if (pdf_name_eq(context, pdf_array_get(context, filter, index), name))
                return true;
        }
        return false;
    }
    return pdf_name_eq(context, filter, name);
}

// Whether the image is one JPEG serves: several bits per sample, no exact colours to keep.
bool isRewritable(fz_context* context, pdf_obj* image)
{
    return pdf_is_stream(context, image) && pdf_name_eq(context, pdf_dict_get(context, image, PDF_NAME(Subtype)), PDF_NAME(Image))
        && !pdf_dict_get_bool(context, image, PDF_NAME(ImageMask)) && pdf_dict_get_int(context, image, PDF_NAME(BitsPerComponent)) > 1
        && !hasFilter(context, image, PDF_NAME(JPXDecode)) && !hasFilter(context, image, PDF_NAME(JBIG2Decode))
        && !pdf_is_array(context, pdf_dict_get(context, image, PDF_NAME(Mask)))
        && pdf_dict_get_int(context, image, PDF_NAME(SMaskInData)) == 0;
}

bool isIndexed(fz_context* context, pdf_obj* image)
{
    pdf_obj* colorspace = pdf_dict_get(context, image, PDF_NAME(ColorSpace));
    return pdf_is_array(context, colorspace) && pdf_name_eq(context, pdf_array_get(context, colorspace, 0), PDF_NAME(Indexed));
}

// The pixel count a side needs to show `points` at the resolution, never more than it has.
int neededPixels(int pixels, double points, double pixelsPerInch)
{
    const double needed = std::ceil(points / 72.0 * pixelsPerInch);
    if (!std::isfinite(needed))
        return pixels;
    return std::clamp(static_cast<int>(needed), 1, pixels);
}

// An image decoded for rewriting, and whether it keeps its colour space.
struct DecodedImage {
    PageImage pixels;
    bool keepsColorSpace = false;
};

std::optional<DecodedImage> decode(fz_context* context, pdf_document* document, pdf_obj* object, int width, int height)
{
    OwnedImage image;
    OwnedPixmap pixmap;
    OwnedPixmap converted;
    DecodedImage decoded;
    fz_try(context)
    {
        image.reset(pdf_load_image(context, document, object));
        // Asked for the size wanted, MuPDF may decode at a half, a quarter, ... of the full size.
        fz_matrix wanted = fz_scale(static_cast<float>(width), static_cast<float>(height));
        int shownWidth = 0;
        int shownHeight = 0;
        pixmap.reset(fz_get_pixmap_from_image(context, image.get(), nullptr, &wanted, &shownWidth, &shownHeight));
        if (fz_pixmap_alpha(context, pixmap.get()) || fz_pixmap_spots(context, pixmap.get()))
            fz_throw(context, FZ_ERROR_GENERIC, "image with alpha");
        fz_colorspace* colorspace = fz_pixmap_colorspace(context, pixmap.get());
        decoded.keepsColorSpace = colorspace && colorspace == image.get()->colorspace && !isIndexed(context, object)
            && (fz_colorspace_is_gray(context, colorspace) || fz_colorspace_is_rgb(context, colorspace));
        if (!decoded.keepsColorSpace) {
            fz_colorspace* target = fz_colorspace_n(context, colorspace) == 1 ? fz_device_gray(context) : fz_device_rgb(context);
            converted.reset(fz_convert_pixmap(context, pixmap.get(), target, nullptr, nullptr, fz_default_color_params, 0));
            pixmap.reset(converted.release());
        }
    }
    fz_catch(context)
    {
        return std::nullopt;
    }
    const int channels = fz_pixmap_components(context, pixmap.get());
    if (channels != 1 && channels != 3)
        return std::nullopt;
    PageImage& out = decoded.pixels;
    out.width = fz_pixmap_width(context, pixmap.get());
    out.height = fz_pixmap_height(context, pixmap.get());
    out.format = channels == 3 ? PixelFormat::Rgb : PixelFormat::Grey;
    const std::size_t rowBytes = static_cast<std::size_t>(out.width) * static_cast<std::size_t>(channels);
    const std::size_t stride = static_cast<std::size_t>(fz_pixmap_stride(context, pixmap.get()));
    const unsigned char* samples = fz_pixmap_samples(context, pixmap.get());
    out.pixels.resize(rowBytes * static_cast<std::size_t>(out.height));
    for (std::size_t row = 0; row < static_cast<std::size_t>(out.height); ++row)
        std::memcpy(out.pixels.data() + row * rowBytes, samples + row * stride, rowBytes);
    return decoded;
}

// Where each output pixel's box of source pixels starts along one side; the last entry ends it.
std::vector<int> boxEdges(int from, int to)
{
    std::vector<int> edges(static_cast<std::size_t>(to) + 1);
    for (int index = 0; index <= to; ++index)
        edges[static_cast<std::size_t>(index)] = static_cast<int>(static_cast<long long>(index) * from / to);
    return edges;
}

// The bitmap scaled down to the size, each pixel the average of the source pixels it covers.
PageImage shrink(const PageImage& source, int width, int height)
{
    if (width >= source.width && height >= source.height)
        return source;
    width = std::min(width, source.width);
    height = std::min(height, source.height);
    const std::size_t channels = static_cast<std::size_t>(source.channels());
    const std::vector<int> columns = boxEdges(source.width, width);
    const std::vector<int> rows = boxEdges(source.height, height);
    PageImage out { width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * channels), source.format };
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(width) * channels);
    const std::size_t sourceRow = static_cast<std::size_t>(source.width) * channels;
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        const int top = rows[static_cast<std::size_t>(y)];
        const int bottom = rows[static_cast<std::size_t>(y) + 1];
        for (int row = top; row < bottom; ++row) {
            const std::uint8_t* line = source.pixels.data() + static_cast<std::size_t>(row) * sourceRow;
            for (int x = 0; x < width; ++x) {
                std::uint32_t* sum = sums.data() + static_cast<std::size_t>(x) * channels;
                const int right = columns[static_cast<std::size_t>(x) + 1];
                for (int column = columns[static_cast<std::size_t>(x)]; column < right; ++column) {
                    const std::uint8_t* pixel = line + static_cast<std::size_t>(column) * channels;
                    for (std::size_t channel = 0; channel < channels; ++channel)
                        sum[channel] += pixel[channel];
                }
            }
        }
        std::uint8_t* outLine = out.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * channels;
        for (int x = 0; x < width; ++x) {
            const auto area = static_cast<std::uint32_t>((bottom - top) * (columns[static_cast<std::size_t>(x) + 1] - columns[static_cast<std::size_t>(x)]));
            for (std::size_t channel = 0; channel < channels; ++channel) {
                const std::uint32_t sum = sums[static_cast<std::size_t>(x) * channels + channel];
                outLine[static_cast<std::size_t>(x) * channels + channel] = static_cast<std::uint8_t>((sum + area / 2) / area);
            }
        }
    }
    return out;
}

// Puts the JPEG in the image object's place.
bool replaceWithJpeg(fz_context* context, pdf_document* document, pdf_obj* object, const std::string& jpeg, const DecodedImage& decoded)
{
    OwnedBuffer buffer;
    fz_try(context)
    {
        buffer.reset(fz_new_buffer_from_copied_data(context, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size()));
        pdf_update_stream(context, document, object, buffer.get(), 1);
        pdf_dict_put(context, object, PDF_NAME(Filter), PDF_NAME(DCTDecode));
        pdf_dict_del(context, object, PDF_NAME(DecodeParms));
        pdf_dict_del(context, object, PDF_NAME(Decode));
        pdf_dict_put_int(context, object, PDF_NAME(Width), decoded.pixels.width);
        pdf_dict_put_int(context, object, PDF_NAME(Height), decoded.pixels.height);
        pdf_dict_put_int(context, object, PDF_NAME(BitsPerComponent), 8);
        if (!decoded.keepsColorSpace) {
            pdf_obj* colorspace = decoded.pixels.format == PixelFormat::Rgb ? PDF_NAME(DeviceRGB) : PDF_NAME(DeviceGray);
            pdf_dict_put(context, object, PDF_NAME(ColorSpace), colorspace);
        }
    }
    fz_catch(context)
    {
        return false;
    }
    return true;
}

// An image to rewrite and the size it needs.
struct Candidate {
    int objectNumber = 0;
    int width = 0;
    int height = 0;
    long long storedBytes = 0;
};

std::vector<Candidate> candidates(fz_context* context, pdf_document* document, const std::map<int, DrawnSize>& drawn, double pixelsPerInch)
{
    std::vector<Candidate> found;
    for (const auto& [number, size] : drawn) {
        OwnedObject object;
        fz_try(context)
        {
            object.reset(pdf_new_indirect(context, document, number, 0));
            if (isRewritable(context, object.get())) {
                const int width = pdf_dict_get_int(context, object.get(), PDF_NAME(Width));
                const int height = pdf_dict_get_int(context, object.get(), PDF_NAME(Height));
                const long long stored = pdf_dict_get_int(context, object.get(), PDF_NAME(Length));
                if (width >= 1 && height >= 1 && static_cast<long long>(width) * height <= kMaxPageImagePixels && stored > 0)
                    found.push_back({ number, neededPixels(width, size.width, pixelsPerInch), neededPixels(height, size.height, pixelsPerInch), stored });
            }
        }
        fz_catch(context)
        {
        }
    }
    return found;
}

// The image object, or null when it cannot be had.
pdf_obj* imageObject(fz_context* context, pdf_document* document, int number)
{
    pdf_obj* volatile object = nullptr;
    fz_try(context)
    {
        object = pdf_new_indirect(context, document, number, 0);
    }
    fz_catch(context)
    {
        return nullptr;
    }
    return object;
}

bool rewriteOne(fz_context* context, pdf_document* document, const Candidate& candidate, const ScreenImageOptions& options)
{
    std::optional<DecodedImage> decoded;
    {
        const DocumentLock lock(documentMutex());
        const OwnedObject object(imageObject(context, document, candidate.objectNumber));
        if (object.get())
            decoded = decode(context, document, object.get(), candidate.width, candidate.height);
    }
    if (!decoded)
        return false;
    // Scaling and encoding need no document.
    decoded->pixels = shrink(decoded->pixels, candidate.width, candidate.height);
    const std::optional<std::string> jpeg = encodeJpeg(decoded->pixels, options.jpegQuality);
    if (!jpeg || static_cast<long long>(jpeg->size()) >= candidate.storedBytes)
        return false;
    const DocumentLock lock(documentMutex());
    const OwnedObject object(imageObject(context, document, candidate.objectNumber));
    return object.get() && replaceWithJpeg(context, document, object.get(), *jpeg, *decoded);
}

}

int rewriteImagesForScreen(Document& document, const ScreenImageOptions& options)
{
    fz_context* context = threadContext();
    pdf_document* raw = document.raw();
    std::vector<Candidate> images;
    {
        const DocumentLock lock(documentMutex());
        images = candidates(context, raw, drawnImageSizes(context, raw), options.maxPixelsPerInch);
    }
    int rewritten = 0;
    for (const Candidate& candidate : images) {
        if (rewriteOne(context, raw, candidate, options))
            ++rewritten;
    }
    return rewritten;
}

}
