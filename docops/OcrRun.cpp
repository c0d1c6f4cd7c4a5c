#include "docops/OcrRun.h"

#include "platform/core/RegularFile.h"
#include "platform/ocr/TextRecognizer.h"
#include "platform/pdf/Document.h"
#include "platform/pdf/PageImage.h"

#include <algorithm>

namespace ikw::docops {

namespace {

constexpr double kOcrScale = 2.0;

std::string joinedLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty())
            text += '\n';
        text += line;
    }
    return text;
}

}

std::vector<std::string> ocrImage(const pdf::PageImage& image, ocr::TextRecognizer& recognizer)
{
    if (!image.isWhole())
        return {};
    return recognizer.recognizeLines({
        .pixels = image.pixels.data(),
        .width = image.width,
        .height = image.height,
        .bytesPerPixel = image.channels(),
        .bytesPerLine = image.width * image.channels(),
        .pixelsPerInch = static_cast<int>(72 * kOcrScale),
    });
}

std::vector<OcrPageRecord> runOCRDoc(const std::string& path, ocr::TextRecognizer& recognizer, const OcrPageProgress& progress)
{
    // A FIFO or a device would block the reader for good.
    if (!isRegularFile(path))
        return {};
    const std::optional<pdf::Document> document = pdf::Document::openFile(path);
    if (!document)
        return {};
    const int pageCount = std::min(document->pageCount(), kMaxOcrPages);
    std::vector<OcrPageRecord> records;
    records.reserve(static_cast<std::size_t>(std::max(pageCount, 0)));
    for (int index = 0; index < pageCount; ++index) {
        const std::optional<pdf::PageImage> image = pdf::renderPageImage(*document, index, kOcrScale, pdf::PageBox::Media);
        records.push_back({ index + 1, image ? joinedLines(ocrImage(*image, recognizer)) : std::string() });
        if (progress)
            progress(index + 1, pageCount);
    }
    return records;
}

}
