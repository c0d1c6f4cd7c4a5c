#pragma once

// Internal to the PDF layer: the steps of page-structure edits on qpdf's objects. They throw
// qpdf's exceptions; EditableDocument catches them.

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>

#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace ikw::pdf::detail {

using ObjectSet = std::set<QPDFObjGen>;

// Page labels -------------------------------------------------------------------------------

// Renumbers the document's page labels for its new page order. `origins` holds, for each page
// now in the document, the index it had before the edit, or -1 for a page the edit added (it
// joins the range of the page before it, or after it at the front). Each label range keeps its
// style and prefix and numbers its pages in the order they now stand; a range that lost pages
// shrinks, one that gained pages grows.
void renumberPageLabels(QPDF& document, std::span<const int> origins);

// Outline and destinations -------------------------------------------------------------------

// Where destinations lead in one document.
class Destinations {
public:
    explicit Destinations(QPDF& document) : m_outlines(document) { }
    // The explicit destination (an array) of a destination given by name (looked up in /Dests
    // and the /Names tree), by a dictionary holding it under /D, or as it stands; null otherwise.
    QPDFObjectHandle explicitDestination(QPDFObjectHandle destination);
    // The page object an explicit or named destination leads to.
    std::optional<QPDFObjGen> pageOf(QPDFObjectHandle destination);

private:
    QPDFOutlineDocumentHelper m_outlines;
};

// The destination of an outline item or link annotation: /Dest, else a GoTo action's /D.
QPDFObjectHandle destinationOf(QPDFObjectHandle item);

// Outline items that lead to one of the removed pages go; those with items of their own below
// stay, leading nowhere. Counts of visible items are made right again.
void pruneOutline(QPDF& document, const ObjectSet& removedPages);
// Named destinations (the /Dests dictionary and the /Names tree) that lead to a removed page go.
void pruneNamedDestinations(QPDF& document, const ObjectSet& removedPages);
// Links of the pages that lead to a destination by name get the explicit destination instead, so
// that they keep their target once the pages are copied into another document.
void resolveNamedLinks(QPDF& document, std::span<const QPDFObjectHandle> pages);

// Form fields ---------------------------------------------------------------------------------

// The widget annotations on the pages.
ObjectSet widgetsOn(std::span<const QPDFObjectHandle> pages);
// Removes the widgets from the field tree; fields left without widgets or kids go too, and leave
// the calculation order.
void pruneFormFields(QPDF& document, const ObjectSet& deadWidgets);
// The widgets below the fields that are not among `placed`.
ObjectSet unplacedWidgets(std::span<const QPDFObjectHandle> fields, const ObjectSet& placed);
// Signature fields among the fields (and below them) lose their signature value.
void dropSignatureValues(std::span<const QPDFObjectHandle> fields);
// Whether a signature field of the document carries a value.
bool hasSignatureValue(QPDF& document);

// Copying pages --------------------------------------------------------------------------------

// Copies of the source's pages at the indexes, in order, made in `target` but not yet in its
// page tree. Each copy has annotations of its own; links between copied pages lead to the copies;
// form fields come along, renamed where their names are taken, and their top-level fields are
// added to `newFields`. `source` may be `target` itself (duplicates).
std::vector<QPDFObjectHandle> copyPages(QPDF& target, QPDF& source, std::span<const int> indexes, std::vector<QPDFObjectHandle>& newFields);

// Page tree --------------------------------------------------------------------------------------

// Makes the pages the document's whole page tree, in order, under its root /Pages node.
void setPageTree(QPDF& document, std::span<const QPDFObjectHandle> pages);
// A blank page with the media box and no content.
QPDFObjectHandle newBlankPage(QPDF& document, const QPDFObjectHandle::Rectangle& mediaBox);

// Writing ----------------------------------------------------------------------------------------

// The edited document as an incremental update appended to `original` (the bytes it was opened
// from): the objects that changed or are new and reachable, a cross-reference section of the
// original's kind, and a trailer pointing back at the original's. None when the original's last
// cross-reference section cannot be found or an object cannot be written.
std::optional<std::string> incrementalUpdate(const std::string& original, QPDF& edited);

}
