#include "legal/BatesCopies.h"

#include "legal/BatesInputs.h"
#include "legal/BatesStampLayout.h"

#include "platform/core/RegularFile.h"
#include "platform/imaging/ImageDecoder.h"
#include "platform/pdf/Document.h"

#include <memory>

namespace ikw::legal::BatesStamper {

namespace {

constexpr pdf::StandardFont labelFont = pdf::StandardFont::helveticaBold;
constexpr pdf::RgbColor inkColor { 0.08, 0.09, 0.11 };
constexpr pdf::RgbColor haloColor { 1, 1, 1 };
constexpr double haloAlpha = 0.9;

bool isPositive(pdf::Size size)
{
    return size.width > 0 && size.height > 0;
}

std::int64_t stampPdf(const std::string& source, const std::string& output, const BatesConfig& config, std::int64_t startNumber)
{
    const pdf::OpenResult opened = pdf::Document::open(source);
    if (opened.status != pdf::OpenResult::Status::Opened)
        return 0;
    const pdf::Document& document = *opened.document;
    const int pageCount = document.pageCount();
    if (pageCount < 1)
        return 0;
    const std::unique_ptr<pdf::PageDrawingWriter> writer = pdf::PageDrawingWriter::create(output);
    if (!writer)
        return 0;
    std::int64_t written = 0;
    for (int index = 0; index < pageCount; ++index) {
        // The media box turned by the page's rotation: the copy shows the whole page upright.
        const std::optional<pdf::Size> size = document.pageSize(index, pdf::PageBox::Media);
        if (!size || !isPositive(*size))
            continue;
        const bool drawn = writer->beginPage(*size) && writer->drawPage(document, index, pdf::PageBox::Media)
            && drawStamp(*writer, config.label(startNumber + written), *size, config) && writer->endPage();
        if (!drawn)
            return 0;
        ++written;
    }
    return written > 0 && writer->close() ? written : 0;
}

// One point per pixel: the page is the image's pixel size.
std::int64_t stampImage(const std::string& source, const std::string& output, const BatesConfig& config, std::int64_t number)
{
    const std::optional<imaging::RgbaImage> image = imaging::decodeImageFile(source);
    if (!image || image->width < 1 || image->height < 1)
        return 0;
    const std::unique_ptr<pdf::PageDrawingWriter> writer = pdf::PageDrawingWriter::create(output);
    if (!writer)
        return 0;
    const pdf::Size size { static_cast<double>(image->width), static_cast<double>(image->height) };
    const bool drawn = writer->beginPage(size)
        && writer->drawImage({ image->width, image->height, image->pixels }, { 0, 0, size.width, size.height })
        && drawStamp(*writer, config.label(number), size, config) && writer->endPage() && writer->close();
    return drawn ? 1 : 0;
}

}

std::int64_t stampFile(const std::string& source, const std::string& output, const BatesConfig& config,
    std::int64_t startNumber)
{
    if (!isRegularFile(source))
        return 0;
    switch (inputKind(source)) {
    case InputKind::pdf:
        return stampPdf(source, output, config, startNumber);
    case InputKind::image:
        return stampImage(source, output, config, startNumber);
    case InputKind::none:
        break;
    }
    return 0;
}

bool drawStamp(pdf::PageDrawingWriter& writer, std::string_view label, pdf::Size box, const BatesConfig& config)
{
    const pdf::TextExtent extent = pdf::measureText(labelFont, label, config.fontSize);
    const StampPoint at = stampPosition(box.width, box.height, extent.width, extent.ascent, extent.descent, config);
    if (config.halo) {
        for (const StampPoint& offset : haloOffsets(config.fontSize)) {
            if (!writer.drawText(label, labelFont, config.fontSize, at.x + offset.x, at.y + offset.y, haloColor, haloAlpha))
                return false;
        }
    }
    return writer.drawText(label, labelFont, config.fontSize, at.x, at.y, inkColor);
}

}
