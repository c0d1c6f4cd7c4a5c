#pragma once

#include "platform/pdf/Document.h"
#include "platform/pdf/Geometry.h"

#include <memory>
#include <optional>
#include <string_view>

namespace ikw::pdf {

// Builds a new document page by page: copies of other documents' pages, blank pages and simple
// text pages. The sources are only read. A copied page keeps its content, boxes, rotation and
// annotations (links, notes, form widgets); resources shared by several pages of one source are
// copied once. Links keep their target page when it is copied too (before or after them); links to
// pages left out lose their target.
// Used on one thread at a time, like a document; sources must outlive the builder's calls.
class DocumentBuilder {
public:
    DocumentBuilder();
    DocumentBuilder(const DocumentBuilder&) = delete;
    DocumentBuilder& operator=(const DocumentBuilder&) = delete;
    ~DocumentBuilder();

    // False when MuPDF could not make the new document; every other call then fails too.
    bool isValid() const { return m_document.has_value(); }

    // Appends a copy of the source's page; with a rotation, the copy shows that rotation
    // (0, 90, 180 or 270). False when the source has no such page or it cannot be copied.
    bool appendPageCopy(const Document& source, int index, std::optional<int> rotation = std::nullopt);
    // Appends an empty page with the media box; with text, one line of it near the top left.
    bool appendBlankPage(Rect mediaBox = kLetterPage, int rotation = 0, std::string_view text = {});

    int pageCount() const { return m_pageCount; }

    // The finished document; the builder is empty afterwards.
    std::optional<Document> finish();

private:
    struct Copier;

    std::optional<Document> m_document;
    std::unique_ptr<Copier> m_copier;
    int m_pageCount = 0;
};

}
