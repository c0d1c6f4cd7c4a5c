#include "docops/PageTransforms.h"

#include <algorithm>
#include <numeric>

namespace ikw::docops {

using pdf::PagePick;

namespace {

std::vector<PagePick> everyPage(int count)
{
    std::vector<PagePick> picks;
    for (int index = 0; index < count; ++index)
        picks.push_back(PagePick::page(index));
    return picks;
}

std::optional<EditableDocument> rearranged(EditableDocument document, std::span<const PagePick> picks, EditableDocument* inserted = nullptr)
{
    if (!document.rearrange(picks, inserted))
        return std::nullopt;
    return document;
}

std::vector<int> validIndexes(const EditableDocument& document, const std::vector<int>& indexes)
{
    std::vector<int> valid;
    const int count = document.pageCount();
    std::copy_if(indexes.begin(), indexes.end(), std::back_inserter(valid), [count](int index) { return index >= 0 && index < count; });
    return valid;
}

}

int addRotation(int current, int degrees)
{
    const int rotation = (current + degrees) % 360;
    return rotation < 0 ? rotation + 360 : rotation;
}

std::optional<EditableDocument> pgDelete(EditableDocument document, const std::set<int>& indexes)
{
    std::vector<PagePick> picks;
    for (const PagePick& pick : everyPage(document.pageCount())) {
        if (!indexes.contains(pick.index))
            picks.push_back(pick);
    }
    return rearranged(std::move(document), picks);
}

std::optional<EditableDocument> pgRotate(EditableDocument document, const std::set<int>& indexes, int degrees)
{
    std::vector<PagePick> picks = everyPage(document.pageCount());
    for (PagePick& pick : picks) {
        if (indexes.contains(pick.index))
            pick.rotation = addRotation(document.pageRotation(pick.index), degrees);
    }
    return rearranged(std::move(document), picks);
}

std::optional<EditableDocument> pgDuplicate(EditableDocument document, int index)
{
    std::vector<PagePick> picks = everyPage(document.pageCount());
    if (index >= 0 && index < static_cast<int>(picks.size()))
        picks.insert(picks.begin() + index + 1, PagePick::page(index));
    return rearranged(std::move(document), picks);
}

std::optional<EditableDocument> pgReorder(EditableDocument document, int from, int to)
{
    const int count = document.pageCount();
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    if (from >= 0 && from < count && to >= 0 && to < count) {
        order.erase(order.begin() + from);
        order.insert(order.begin() + to, from);
    }
    return pgArrange(std::move(document), order);
}

std::optional<EditableDocument> pgArrange(EditableDocument document, const std::vector<int>& order)
{
    std::vector<PagePick> picks;
    for (const int index : order)
        picks.push_back(PagePick::page(index));
    return rearranged(std::move(document), picks);
}

std::optional<EditableDocument> pgInsertBlank(EditableDocument document, int at)
{
    const int count = document.pageCount();
    const int position = std::clamp(at, 0, count);
    // The blank page takes the media box of the page before it (of the first page at the front).
    const pdf::Rect mediaBox = count == 0 ? pdf::kLetterPage : document.mediaBox(std::max(position - 1, 0)).value_or(pdf::kLetterPage);
    std::vector<PagePick> picks = everyPage(count);
    picks.insert(picks.begin() + position, PagePick::blank(mediaBox));
    return rearranged(std::move(document), picks);
}

std::optional<EditableDocument> pgInsertDoc(EditableDocument document, EditableDocument& other, int at)
{
    const int count = document.pageCount();
    const int position = std::clamp(at, 0, count);
    std::vector<PagePick> picks = everyPage(count);
    std::vector<PagePick> inserted;
    for (int index = 0; index < other.pageCount(); ++index)
        inserted.push_back(PagePick::inserted(index));
    picks.insert(picks.begin() + position, inserted.begin(), inserted.end());
    return rearranged(std::move(document), picks, &other);
}

std::optional<EditableDocument> pgExtract(EditableDocument& document, const std::vector<int>& indexes)
{
    const pdf::PageSelection selection { &document, validIndexes(document, indexes) };
    return EditableDocument::compose(std::span(&selection, 1));
}

std::vector<EditableDocument> pgSplit(EditableDocument& document)
{
    std::vector<EditableDocument> documents;
    for (int index = 0; index < document.pageCount(); ++index) {
        if (auto single = pgExtract(document, { index }))
            documents.push_back(std::move(*single));
    }
    return documents;
}

std::optional<EditableDocument> pgMerge(std::span<EditableDocument* const> documents)
{
    std::vector<pdf::PageSelection> selections;
    for (EditableDocument* document : documents) {
        std::vector<int> all(static_cast<std::size_t>(document->pageCount()));
        std::iota(all.begin(), all.end(), 0);
        selections.push_back({ document, std::move(all) });
    }
    return EditableDocument::compose(selections);
}

}
