#include "crossdoc/TextExtractors.h"

#include "crossdoc/RegularFile.h"
#include "docops/TextLayer.h"
#include "platform/core/TextMetrics.h"
#include "platform/pdf/Document.h"

namespace ikw::crossdoc {

namespace {

Chunk pageChunk(int pageNumber, std::string body)
{
    return Chunk { "page", std::to_string(pageNumber), pageNumber, std::move(body) };
}

std::vector<Chunk> ocrChunks(const std::string& path, const OcrLookup& ocrLookup)
{
    std::vector<Chunk> chunks;
    if (!ocrLookup)
        return chunks;
    const auto pages = ocrLookup(path);
    if (!pages)
        return chunks;
    for (const auto& [page, text] : *pages) {
        if (!text.empty())
            chunks.push_back(pageChunk(page, text));
    }
    return chunks;
}

}

std::vector<Chunk> extractPDF(const std::string& path, const OcrLookup& ocrLookup)
{
    if (!isRegularFile(path))
        return {};
    pdf::OpenResult opened = pdf::Document::open(path);
    if (opened.status != pdf::OpenResult::Status::Opened || !opened.document)
        return {}; // damaged beyond repair, or locked with a password
    const pdf::Document& document = *opened.document;
    if (!docops::docHasTextLayer(document))
        return ocrChunks(path, ocrLookup);
    std::vector<Chunk> chunks;
    const int pages = document.pageCount();
    for (int index = 0; index < pages; ++index) {
        std::string text = document.pageText(index);
        // A page with nothing but white space has no text; the rest is kept as the page gives it.
        if (!trimWhitespaceAndNewlines(text).empty())
            chunks.push_back(pageChunk(index + 1, std::move(text)));
    }
    return chunks;
}

}
