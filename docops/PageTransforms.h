#pragma once

#include "platform/pdf/Document.h"

#include <optional>
#include <set>
#include <span>
#include <vector>

// Page operations as pure functions: each builds a new document from copies of the source's pages
// and leaves the source as it was. Page indexes are 0-based. Bad indexes never fail an operation:
// they are skipped, ignored or clamped as each function says. Only the pages travel: the result
// carries no outline or document information of the source. None only when MuPDF cannot make a
// new document at all.
namespace ikw::docops {

using pdf::Document;

// Every page whose index is not in the set, in page order.
std::optional<Document> pgDelete(const Document& document, const std::set<int>& indexes);
// The listed pages in list order; repeats are copied again, out-of-range entries skipped.
std::optional<Document> pgExtract(const Document& document, const std::vector<int>& indexes);
// Every page, those in the set turned by the degrees; the stored rotation stays in 0...359.
std::optional<Document> pgRotate(const Document& document, const std::set<int>& indexes, int degrees);
// Every page, with a second copy of the page at the index right after it.
std::optional<Document> pgDuplicate(const Document& document, int index);
// Every page, with the page at `from` moved so that it ends up at index `to`.
std::optional<Document> pgReorder(const Document& document, int from, int to);
// One single-page document per page, in page order.
std::vector<Document> pgSplit(const Document& document);
// Every page, with a blank page at the position (clamped to 0...count) sized like its neighbour.
std::optional<Document> pgInsertBlank(const Document& document, int at);
// Every page, with all pages of `other` inserted at the position (clamped to 0...count).
std::optional<Document> pgInsertDoc(const Document& document, const Document& other, int at);
// Every page of every document, in list order.
std::optional<Document> pgMerge(std::span<const Document* const> documents);

// The rotation stored after turning a page at `current` by `degrees`: always in 0...359.
int addRotation(int current, int degrees);

}
