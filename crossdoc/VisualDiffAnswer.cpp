#include "crossdoc/VisualDiffAnswer.h"

#include "platform/core/Base64.h"
#include "platform/imaging/PngEncoder.h"
#include "platform/pdf/Document.h"

#include <algorithm>

namespace ikw::crossdoc {

namespace {

std::optional<pdf::PageImage> renderedPage(const pdf::Document& document, long long pageIndex, double scale)
{
    if (pageIndex >= document.pageCount())
        return std::nullopt;
    return pdf::renderPageImage(document, static_cast<int>(pageIndex), scale, pdf::PageBox::Media);
}

void putPng(Json& answer, const char* key, const pdf::PageImage& image)
{
    if (auto encoded = pngBase64(image))
        answer[key] = std::move(*encoded);
}

// Both pictures: B's padded picture, tinted where it changed, becomes the overlay. An overlay
// with no changed cell and no padding is B's picture itself, already encoded.
void compareBoth(Json& answer, const pdf::PageImage& imageA, pdf::PageImage imageB, const CellRule& rule)
{
    const int width = std::max(imageA.width, imageB.width);
    const int height = std::max(imageA.height, imageB.height);
    const bool padsB = imageB.width != width || imageB.height != height;
    // A is only read: it is copied only when it needs the padding.
    std::optional<pdf::PageImage> paddedA;
    if (imageA.width != width || imageA.height != height)
        paddedA = padToSize(imageA, width, height);
    pdf::PageImage overlay = padToSize(std::move(imageB), width, height);
    const CellCount count = compareCells(paddedA ? *paddedA : imageA, overlay, rule);
    answer["frac"] = count.fraction();
    if (count.changed == 0 && !padsB && answer.contains("b")) {
        answer["overlay"] = answer["b"];
        return;
    }
    putPng(answer, "overlay", overlay);
}

}

std::optional<std::string> pngBase64(const pdf::PageImage& image)
{
    if (image.format != pdf::PixelFormat::Rgb || !image.isWhole())
        return std::nullopt;
    const auto png = imaging::encodeRgbPng(image.width, image.height, image.pixels);
    if (!png)
        return std::nullopt;
    return encodeBase64(*png);
}

std::optional<Json> visualDiffPage(const std::string& pathA, const std::string& pathB, long long pageIndex,
    const VisualDiffSettings& settings)
{
    const auto documentA = pdf::Document::openFile(pathA);
    const auto documentB = documentA ? pdf::Document::openFile(pathB) : std::nullopt;
    if (!documentA || !documentB)
        return Json { { "page", pageIndex + 1 }, { "error", kUnopenablePdfMessage } };
    const int total = std::max(documentA->pageCount(), documentB->pageCount());
    if (pageIndex < 0 || pageIndex >= total)
        return std::nullopt;

    const auto imageA = renderedPage(*documentA, pageIndex, settings.scale);
    auto imageB = renderedPage(*documentB, pageIndex, settings.scale);
    Json answer { { "page", pageIndex + 1 }, { "total", total } };
    if (imageA)
        putPng(answer, "a", *imageA);
    if (imageB)
        putPng(answer, "b", *imageB);

    if (!imageA || !imageB) {
        answer["frac"] = 1.0;
        answer["added"] = !imageA;
        answer["removed"] = !imageB;
        if (imageA || imageB) {
            const char* side = imageA ? "a" : "b";
            if (answer.contains(side))
                answer["overlay"] = answer[side];
        }
        return answer;
    }
    compareBoth(answer, *imageA, std::move(*imageB), settings.cells);
    return answer;
}

}
