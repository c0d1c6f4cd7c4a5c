#pragma once

#include "platform/pdf/Document.h"

#include <string>
#include <vector>

namespace ikw::crossdoc {

// One annotation as exports and agents see it.
struct IKWAnno {
    int page = 0;      // 1-based
    std::string kind;  // the subtype without its slash ("Highlight", "Square", ...); "Note" for notes
    std::string text;  // for text markup: the page text under it; else empty
    std::string note;  // the comment
    std::string author;
    bool operator==(const IKWAnno&) const = default;
};

struct AnnotationExport {
    std::vector<IKWAnno> items;
    std::string markdown;
};

// The document's annotations in page order, top to bottom within a page (popups, links and form
// widgets left out, and entries with nothing to say), with their Markdown under `title`.
AnnotationExport runAnnotationExport(const pdf::Document& document, const std::string& title);

// The Markdown of the records alone.
std::string annotationMarkdown(const std::vector<IKWAnno>& items, const std::string& title);

}
