#pragma once

#include "platform/pdf/EditableDocument.h"

#include <optional>
#include <set>
#include <span>
#include <vector>

// Page operations as functions from pages to a document. Page indexes are 0-based. Bad indexes
// never fail an operation: they are skipped, ignored or clamped as each function says.
//
// The in-place ones take the user's document and give it back with its page tree changed; what
// the file holds besides its pages stays (see pdf::EditableDocument). The others build new
// documents from copies of the source's pages, which carry their annotations, links and form
// fields but no outline. None when the edit cannot be made.
namespace ikw::docops {

using pdf::EditableDocument;

// In place --------------------------------------------------------------------------------------

// Every page whose index is not in the set, in page order.
std::optional<EditableDocument> pgDelete(EditableDocument document, const std::set<int>& indexes);
// Every page, those in the set turned by the degrees (a multiple of 90).
std::optional<EditableDocument> pgRotate(EditableDocument document, const std::set<int>& indexes, int degrees);
// Every page, with a second copy of the page at the index right after it.
std::optional<EditableDocument> pgDuplicate(EditableDocument document, int index);
// Every page, with the page at `from` moved so that it ends up at index `to`.
std::optional<EditableDocument> pgReorder(EditableDocument document, int from, int to);
// The pages in the order of the indexes, which must name every page once.
std::optional<EditableDocument> pgArrange(EditableDocument document, const std::vector<int>& order);
// Every page, with a blank page at the position (clamped to 0...count) sized like its neighbour.
std::optional<EditableDocument> pgInsertBlank(EditableDocument document, int at);
// Every page, with all pages of `other` inserted at the position (clamped to 0...count).
std::optional<EditableDocument> pgInsertDoc(EditableDocument document, EditableDocument& other, int at);

// New documents ---------------------------------------------------------------------------------

// The listed pages in list order; repeats are copied again, out-of-range entries skipped.
std::optional<EditableDocument> pgExtract(EditableDocument& document, const std::vector<int>& indexes);
// One single-page document per page, in page order.
std::vector<EditableDocument> pgSplit(EditableDocument& document);
// Every page of every document, in list order.
std::optional<EditableDocument> pgMerge(std::span<EditableDocument* const> documents);

// The rotation stored after turning a page at `current` by `degrees`: always in 0...359.
int addRotation(int current, int degrees);

}
