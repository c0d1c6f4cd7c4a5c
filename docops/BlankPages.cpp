#include "docops/BlankPages.h"

#include "platform/core/Text.h"
#include "platform/pdf/PageImage.h"

#include <algorithm>
#include <cstdint>

namespace ikw::docops {

namespace {

constexpr double kLongestSidePixels = 800;
constexpr double kMostPixelsPerPoint = 1.4;
constexpr std::uint8_t kDarkBelow = 205;

}

double pageInkFraction(const pdf::Document& document, int index)
{
    const std::optional<pdf::Rect> box = document.pageBox(index, pdf::PageBox::Media);
    if (!box || !(box->width() > 1) || !(box->height() > 1))
        return 1.0;
    const double scale = std::min(kLongestSidePixels / std::max(box->width(), box->height()), kMostPixelsPerPoint);
    const auto image = pdf::renderPageImage(document, index, scale, pdf::PageBox::Media, pdf::PixelFormat::Grey);
    if (!image || image->pixels.empty())
        return 1.0;
    const auto dark = std::count_if(image->pixels.begin(), image->pixels.end(), [](std::uint8_t grey) { return grey < kDarkBelow; });
    return static_cast<double>(dark) / static_cast<double>(image->pixels.size());
}

bool pageIsBlank(const pdf::Document& document, int index)
{
    return trim(document.pageText(index)).empty() && pageInkFraction(document, index) < kBlankInkFraction;
}

}
