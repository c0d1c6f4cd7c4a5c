#include "library/CoverThumbs.h"

#include "platform/core/Base64.h"
#include "platform/core/TaskQueue.h"
#include "platform/imaging/thumbnails/SystemRenderer.h"
#include "platform/pdf/Document.h"

#include <algorithm>
#include <cmath>

namespace ikw::library::cover_thumbs {

namespace {

double luminance(const pdf::PageImage& image, int x, int y)
{
    const std::size_t channels = static_cast<std::size_t>(image.channels());
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)) * channels;
    if (channels == 1)
        return image.pixels[at] / 255.0;
    return (image.pixels[at] + image.pixels[at + 1] + image.pixels[at + 2]) / (3 * 255.0);
}

// The crop box's width as the page is shown: a page turned a quarter shows its height.
double shownWidth(const pdf::Rect& box, int rotation)
{
    return rotation % 180 == 0 ? box.width() : box.height();
}

int sampleStep(int extent)
{
    return extent >= kBlankSamples ? extent / kBlankSamples : 1;
}

}

bool isBlank(const pdf::PageImage& image)
{
    if (image.width < 1 || image.height < 1 || !image.isWhole())
        return true;
    const int stepX = sampleStep(image.width);
    const int stepY = sampleStep(image.height);
    double darkest = 1.0;
    double lightest = 0.0;
    for (int y = 0; y < image.height; y += stepY) {
        for (int x = 0; x < image.width; x += stepX) {
            const double value = luminance(image, x, y);
            darkest = std::min(darkest, value);
            lightest = std::max(lightest, value);
            if (lightest - darkest > kBlankSpread)
                return false;
        }
    }
    return true;
}

std::optional<std::string> renderPageOne(const std::string& path, const JpegEncoder& encode)
{
    // Only a regular file is opened: a FIFO or a device would block the reader.
    const auto head = thumbnail::regularFileHead(path);
    if (!head || !thumbnail::looksLikePdf(*head))
        return std::nullopt;
    const auto document = pdf::Document::openFile(path);
    if (!document || document->pageCount() < 1)
        return std::nullopt;
    const auto crop = document->pageBox(0, pdf::PageBox::Crop);
    if (!crop)
        return std::nullopt;
    if (!(crop->width() > 1) || !(crop->height() > 1))
        return std::nullopt;
    const double factor = std::min(kTargetWidth / shownWidth(*crop, document->pageRotation(0)), 1.0);
    const auto image = pdf::renderPageImage(*document, 0, factor, pdf::PageBox::Crop);
    if (!image || isBlank(*image))
        return std::nullopt;
    const auto jpeg = encode(*image, kJpegQuality);
    if (!jpeg || jpeg->empty() || jpeg->size() > kMaxBytes)
        return std::nullopt;
    return encodeBase64(*jpeg);
}

std::optional<std::string> pageOneJpegBase64(const std::string& path)
{
    if (mainQueue().isMainThread())
        return std::nullopt;
    return renderPageOne(path);
}

}
