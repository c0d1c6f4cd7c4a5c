#pragma once

#include "platform/pdf/Geometry.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ikw::pdf {

// One page of a document after a page-structure edit, and where it comes from.
struct PagePick {
    enum class Source { Document, Blank, Inserted };
    Source source = Source::Document;
    // Document: the page's index before the edit (a page picked twice is duplicated); Inserted:
    // the index of a page of the inserted document.
    int index = 0;
    // The rotation the page shows afterwards (a multiple of 90); none keeps the page's own.
    std::optional<int> rotation;
    // Blank: the new page's media box.
    Rect mediaBox = kLetterPage;

    static PagePick page(int index, std::optional<int> rotation = std::nullopt) { return { Source::Document, index, rotation }; }
    static PagePick blank(Rect mediaBox) { return { Source::Blank, 0, std::nullopt, mediaBox }; }
    static PagePick inserted(int index) { return { Source::Inserted, index, std::nullopt }; }
};

class EditableDocument;

// The pages a new document takes from one source, in order; an index listed twice is copied twice.
struct PageSelection {
    EditableDocument* document = nullptr;
    std::vector<int> indexes;
};

// A PDF file opened to change its page structure (on qpdf; MuPDF's Document renders and reads text).
// An edit changes the page tree where it stands and keeps everything else of the file: the
// catalog's entries (outline, page labels, names and destinations, form, optional content, viewer
// settings, XMP metadata, structure tree), the document information and every kept page's
// annotations and links. What an edit takes away is mended: page labels follow the new order,
// outline items and named destinations of removed pages go, form fields whose widgets all went
// leave the field tree, and copied pages get form fields and annotations of their own.
//
// Written back, the file keeps its protection (the same security handler, permissions and
// passwords), and a file with a signed signature field gets an incremental update behind the
// signed revision, which stays byte for byte as it was.
//
// Used by one thread at a time; move-only.
class EditableDocument {
public:
    // None when the file cannot be read, is no PDF qpdf can repair, or needs a password to open
    // (a file with only an owner password opens).
    static std::optional<EditableDocument> open(const std::string& path);
    static std::optional<EditableDocument> fromBytes(std::string bytes);
    // A new document of the selected pages, each with its annotations, links between the pages
    // taken and form fields (fields of different sources that share a name are renamed apart;
    // signature values stay behind). It is protected as the first source is. No outline, labels or
    // document information. None when a source cannot be copied. Sources may be read and prepared
    // for copying, but keep their content.
    static std::optional<EditableDocument> compose(std::span<const PageSelection> selections);

    EditableDocument(EditableDocument&&) noexcept;
    EditableDocument& operator=(EditableDocument&&) noexcept;
    EditableDocument(const EditableDocument&) = delete;
    EditableDocument& operator=(const EditableDocument&) = delete;
    ~EditableDocument();

    int pageCount() const;
    // The page's rotation as shown: 0, 90, 180 or 270 (0 for a missing page).
    int pageRotation(int index) const;
    std::optional<Rect> mediaBox(int index) const;
    bool isEncrypted() const;
    // Whether a signature field carries a signature.
    bool isSigned() const;

    // Makes the document's pages the picks, in order, in place; pages picked by none are removed.
    // Pages of `inserted` are copied in as `compose` copies them. False when a pick names no page
    // or the edit fails; the document must not be written then.
    bool rearrange(std::span<const PagePick> picks, EditableDocument* inserted = nullptr);

    // The document as a PDF file's bytes; none when it cannot be written.
    std::optional<std::string> toBytes() const;

    struct Impl;

private:
    explicit EditableDocument(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> m_impl;
};

}
