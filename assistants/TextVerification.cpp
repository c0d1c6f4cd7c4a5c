#include "assistants/TextVerification.h"

#include "platform/core/Base64.h"
#include "platform/core/TextMetrics.h"
#include "platform/pdf/Document.h"

namespace ikw::assistants {

bool pdfContainsQuote(std::string_view pdfBytes, std::string_view q)
{
    const std::optional<pdf::Document> document = pdf::Document::fromBytes(pdfBytes);
    if (!document)
        return false;
    const std::string needle = toNFC(trimWhitespaceAndNewlines(q));
    if (needle.empty())
        return true;
    const int pages = document->pageCount();
    for (int index = 0; index < pages; ++index) {
        const std::string text = document->pageText(index);
        if (!text.empty() && toNFC(text).find(needle) != std::string::npos)
            return true;
    }
    return false;
}

bool base64PdfContainsQuote(std::string_view base64, std::string_view q)
{
    if (base64.empty())
        return false;
    const std::optional<std::string> bytes = decodeBase64(base64);
    return bytes && pdfContainsQuote(*bytes, q);
}

}
