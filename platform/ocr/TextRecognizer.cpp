#include "platform/ocr/TextRecognizer.h"

namespace ikw::ocr {

bool ImageView::isUsable() const
{
    return pixels != nullptr && width > 0 && height > 0 && (bytesPerPixel == 1 || bytesPerPixel == 3)
        && bytesPerLine >= static_cast<long long>(width) * bytesPerPixel;
}

}
