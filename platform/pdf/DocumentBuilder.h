#pragma once

#include "platform/pdf/Document.h"
#include "platform/pdf/Geometry.h"

#include <optional>
#include <string_view>
#include <vector>

struct pdf_graft_map;

namespace ikw::pdf {

// Builds a new document page by page: copies of other documents' pages, blank pages and simple
// text pages. The sources are only read. Resources shared by several copied pages of one source
// are copied once. Used on one thread at a time, like a document.
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

    int pageCount() const;

    // The finished document; the builder is empty afterwards.
    std::optional<Document> finish();

private:
    // One map per source document, which it keeps alive so that its address stays its own.
    struct GraftMap {
        pdf_document* source;
        pdf_graft_map* map;
    };
    void dropGraftMaps();
    pdf_graft_map* graftMapFor(const Document& source);

    std::optional<Document> m_document;
    std::vector<GraftMap> m_graftMaps;
};

}
