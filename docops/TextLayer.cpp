#include "docops/TextLayer.h"

#include "platform/core/TextMetrics.h"
#include "platform/pdf/Document.h"

namespace ikw::docops {

namespace {

constexpr std::size_t kMinimumCharacters = 8;

}

bool isTextLayerPage(std::string_view pageText)
{
    const std::string_view text = trimWhitespaceAndNewlines(pageText);
    if (text.size() < kMinimumCharacters)
        return false;
    // Enough when the 8th character starts before the end: the count stops there.
    GraphemeBoundaries boundaries(text);
    return boundaries.forward(0, kMinimumCharacters - 1) < text.size();
}

bool docHasTextLayer(const pdf::Document& document)
{
    const int pages = document.pageCount();
    for (int index = 0; index < pages; ++index) {
        if (isTextLayerPage(document.pageText(index)))
            return true;
    }
    return false;
}

}
