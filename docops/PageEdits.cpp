#include "docops/PageEdits.h"

#include "docops/PageNumbers.h"
#include "docops/PageTransforms.h"

namespace ikw::docops {

namespace {

// The indexes of the set that name pages of a document of `count` pages.
std::set<int> indexesWithin(const std::set<long long>& indexes, int count)
{
    std::set<int> valid;
    for (const long long index : indexes) {
        if (index >= 0 && index < count)
            valid.insert(static_cast<int>(index));
    }
    return valid;
}

}

std::optional<int> rotationDegrees(const PageOpRequest& request)
{
    const long long degrees = degreesItem(request.deg);
    if (degrees % 90 != 0)
        return std::nullopt;
    return static_cast<int>(degrees % 360);
}

std::string quotedName(const std::string& name)
{
    return "\u201C" + name + "\u201D";
}

std::optional<PageEdit> rotateEdit(const PageOpRequest& request, const std::string& name)
{
    const auto indexes = indexSet(pageList(request.pages, request.page));
    if (indexes.empty())
        return std::nullopt;
    const int degrees = rotationDegrees(request).value_or(0) % 360;
    const std::string phrase = pagePhrase(indexes);
    return PageEdit {
        "rotate",
        { "rotate", "Rotate", "Rotate " + phrase + " in " + quotedName(name) + "?",
            "This changes the saved file. You can rotate back the same way." },
        "Rotated " + phrase,
        [indexes, degrees](pdf::EditableDocument document) -> std::optional<pdf::EditableDocument> {
            const auto valid = indexesWithin(indexes, document.pageCount());
            if (valid.empty() || degrees == 0)
                return std::nullopt;
            return pgRotate(std::move(document), valid, degrees);
        },
    };
}

std::optional<PageEdit> deleteEdit(const PageOpRequest& request, const std::string& name)
{
    const auto indexes = indexSet(pageList(request.pages, request.page));
    if (indexes.empty())
        return std::nullopt;
    const std::string phrase = pagePhrase(indexes);
    return PageEdit {
        "delete",
        { "delete", "Delete", "Delete " + phrase + " from " + quotedName(name) + "?",
            "This permanently removes " + phrase + " from the saved file." },
        "Deleted " + phrase,
        [indexes](pdf::EditableDocument document) -> std::optional<pdf::EditableDocument> {
            const auto valid = indexesWithin(indexes, document.pageCount());
            if (valid.empty())
                return std::nullopt;
            return pgDelete(std::move(document), valid);
        },
    };
}

std::optional<PageEdit> duplicateEdit(const PageOpRequest& request, const std::string& name)
{
    const auto numbers = pageList(request.pages, request.page);
    if (numbers.empty())
        return std::nullopt;
    const long long number = numbers.front();
    const std::string page = std::to_string(number);
    return PageEdit {
        "duplicate",
        { "duplicate", "Duplicate", "Duplicate page " + page + " in " + quotedName(name) + "?",
            "This adds a copy of page " + page + " to the saved file." },
        "Duplicated page " + page,
        [index = number - 1](pdf::EditableDocument document) -> std::optional<pdf::EditableDocument> {
            if (index < 0 || index >= document.pageCount())
                return std::nullopt;
            return pgDuplicate(std::move(document), static_cast<int>(index));
        },
    };
}

PageEdit insertBlankEdit(const PageOpRequest& request, const std::string& name)
{
    return PageEdit {
        "insertblank",
        { "insert", "Insert", "Insert a blank page into " + quotedName(name) + "?",
            "This adds a blank page to the saved file. You can delete it the same way." },
        "Inserted a blank page",
        [at = positionItem(request.at)](pdf::EditableDocument document) { return pgInsertBlank(std::move(document), at); },
    };
}

PageEdit insertDocumentEdit(std::shared_ptr<pdf::EditableDocument> inserted, int at, const std::string& name,
    const std::string& message)
{
    const std::string pages = pageCount(inserted->pageCount());
    return PageEdit {
        "insertfile",
        { "insert", "Insert", "Insert " + pages + " into " + quotedName(name) + "?", message },
        "Inserted " + pages,
        [inserted, at](pdf::EditableDocument document) -> std::optional<pdf::EditableDocument> {
            if (inserted->pageCount() < 1)
                return std::nullopt;
            return pgInsertDoc(std::move(document), *inserted, at);
        },
    };
}

std::optional<PageEdit> reorderEdit(const PageOpRequest& request, const std::string& name)
{
    if (!request.from || !request.to)
        return std::nullopt;
    const auto from = parsePageInteger(*request.from);
    const auto to = parsePageInteger(*request.to);
    if (!from || !to)
        return std::nullopt;
    const std::string page = std::to_string(*from + 1);
    return PageEdit {
        "reorder",
        { "reorder", "Move", "Move page " + page + " in " + quotedName(name) + "?", "This reorders pages in the saved file." },
        "Moved page " + page,
        [from = *from, to = *to](pdf::EditableDocument document) -> std::optional<pdf::EditableDocument> {
            const int count = document.pageCount();
            if (from == to || from < 0 || from >= count || to < 0 || to >= count)
                return std::nullopt;
            return pgReorder(std::move(document), static_cast<int>(from), static_cast<int>(to));
        },
    };
}

std::optional<PageEdit> reorderFullEdit(const PageOpRequest& request, const std::string& name, int pageCount)
{
    if (!request.order)
        return std::nullopt;
    const auto order = integerList(*request.order);
    if (!isPermutation(order, pageCount))
        return std::nullopt;
    bool unchanged = true;
    for (std::size_t i = 0; i < order.size(); ++i)
        unchanged = unchanged && order[i] == static_cast<long long>(i);
    if (unchanged)
        return std::nullopt;
    const std::string count = std::to_string(pageCount);
    return PageEdit {
        "reorderfull",
        { "reorder", "Apply", "Reorder " + count + " pages in " + quotedName(name) + "?",
            "This saves the new page order into the file. You can rearrange again the same way." },
        "Reordered " + count + " pages",
        [order = std::vector<int>(order.begin(), order.end())](pdf::EditableDocument document) -> std::optional<pdf::EditableDocument> {
            // The file may have changed since the order was chosen.
            if (document.pageCount() != static_cast<int>(order.size()))
                return std::nullopt;
            return pgArrange(std::move(document), order);
        },
    };
}

}
