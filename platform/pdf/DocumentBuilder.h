#pragma once

#include "platform/pdf/Document.h"
#include "platform/pdf/Geometry.h"

#include <memory>
#include <optional>
#include <string_view>

namespace ikw::pdf {

// Builds a new document page by page: blank pages and simple text pages (test fixtures and new
// documents). Pages of existing files are copied and rearranged by EditableDocument.
// Used on one thread at a time, like a document.
class DocumentBuilder {
public:
    DocumentBuilder();
    DocumentBuilder(const DocumentBuilder&) = delete;
    DocumentBuilder& operator=(const DocumentBuilder&) = delete;
    ~DocumentBuilder();

    // False when MuPDF could not make the new document; every other call then fails too.
    bool isValid() const { return m_document.has_value(); }

    // Appends an empty page with the media box; with text, one line of it near the top left.
    bool appendBlankPage(Rect mediaBox = kLetterPage, int rotation = 0, std::string_view text = {});

    int pageCount() const { return m_pageCount; }

    // The finished document; the builder is empty afterwards.
    std::optional<Document> finish();

private:
    struct Parts;

    std::optional<Document> m_document;
    std::unique_ptr<Parts> m_parts;
    int m_pageCount = 0;
};

}
