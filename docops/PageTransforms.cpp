#include "docops/PageTransforms.h"

#include "platform/pdf/DocumentBuilder.h"

#include <algorithm>
#include <numeric>

namespace ikw::docops {

using pdf::DocumentBuilder;

namespace {

void appendAll(DocumentBuilder& builder, const Document& document)
{
    const int count = document.pageCount();
    for (int index = 0; index < count; ++index)
        builder.appendPageCopy(document, index);
}

}

int addRotation(int current, int degrees)
{
    const int rotation = (current + degrees) % 360;
    return rotation < 0 ? rotation + 360 : rotation;
}

std::optional<Document> pgDelete(const Document& document, const std::set<int>& indexes)
{
    DocumentBuilder builder;
    const int count = document.pageCount();
    for (int index = 0; index < count; ++index) {
        if (!indexes.contains(index))
            builder.appendPageCopy(document, index);
    }
    return builder.finish();
}

std::optional<Document> pgExtract(const Document& document, const std::vector<int>& indexes)
{
    DocumentBuilder builder;
    const int count = document.pageCount();
    for (const int index : indexes) {
        if (index >= 0 && index < count)
            builder.appendPageCopy(document, index);
    }
    return builder.finish();
}

std::optional<Document> pgRotate(const Document& document, const std::set<int>& indexes, int degrees)
{
    DocumentBuilder builder;
    const int count = document.pageCount();
    for (int index = 0; index < count; ++index) {
        if (indexes.contains(index))
            builder.appendPageCopy(document, index, addRotation(document.pageRotation(index), degrees));
        else
            builder.appendPageCopy(document, index);
    }
    return builder.finish();
}

std::optional<Document> pgDuplicate(const Document& document, int index)
{
    DocumentBuilder builder;
    const int count = document.pageCount();
    for (int page = 0; page < count; ++page) {
        builder.appendPageCopy(document, page);
        if (page == index)
            builder.appendPageCopy(document, page);
    }
    return builder.finish();
}

std::optional<Document> pgReorder(const Document& document, int from, int to)
{
    const int count = document.pageCount();
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    if (from >= 0 && from < count && to >= 0 && to < count) {
        order.erase(order.begin() + from);
        order.insert(order.begin() + to, from);
    }
    return pgExtract(document, order);
}

std::vector<Document> pgSplit(const Document& document)
{
    std::vector<Document> documents;
    const int count = document.pageCount();
    documents.reserve(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index) {
        DocumentBuilder builder;
        // A page that cannot be copied still gets its (empty) document: one entry per page.
        builder.appendPageCopy(document, index);
        if (std::optional<Document> single = builder.finish())
            documents.push_back(std::move(*single));
    }
    return documents;
}

std::optional<Document> pgInsertBlank(const Document& document, int at)
{
    const int count = document.pageCount();
    const int position = std::clamp(at, 0, count);
    // The blank page takes the media box of the page before it (of the first page at the front).
    const pdf::Rect mediaBox = count == 0 ? pdf::kLetterPage
                                          : document.pageBox(std::max(position - 1, 0), pdf::PageBox::Media).value_or(pdf::kLetterPage);
    DocumentBuilder builder;
    for (int index = 0; index <= count; ++index) {
        if (index == position)
            builder.appendBlankPage(mediaBox);
        if (index < count)
            builder.appendPageCopy(document, index);
    }
    return builder.finish();
}

std::optional<Document> pgInsertDoc(const Document& document, const Document& other, int at)
{
    const int count = document.pageCount();
    const int position = std::clamp(at, 0, count);
    DocumentBuilder builder;
    for (int index = 0; index <= count; ++index) {
        if (index == position)
            appendAll(builder, other);
        if (index < count)
            builder.appendPageCopy(document, index);
    }
    return builder.finish();
}

std::optional<Document> pgMerge(std::span<const Document* const> documents)
{
    DocumentBuilder builder;
    for (const Document* document : documents)
        appendAll(builder, *document);
    return builder.finish();
}

}
