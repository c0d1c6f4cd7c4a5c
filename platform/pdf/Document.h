#pragma once

#include "platform/pdf/Geometry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct pdf_document;
struct pdf_obj;

namespace ikw::pdf {

// Options for writing a document out.
struct WriteOptions {
    // Encrypts with AES-256 when a user password is given (an empty owner password takes the user's).
    std::optional<std::string> userPassword;
    std::optional<std::string> ownerPassword;
    // Objects nothing refers to any more (data an edit replaced) are left out.
    bool dropUnusedObjects = false;
};

struct OpenResult;

// An entry of the document's outline (its bookmarks): the label as written, the 0-based page it
// leads to (none when it leads nowhere or to a page not in the document) and the entries below it.
struct OutlineEntry {
    std::string title;
    std::optional<int> page;
    std::vector<OutlineEntry> children;
    bool operator==(const OutlineEntry&) const = default;
};

// A line of a page's text. Its rectangles are in the page as shown (turned by its rotation): points
// from the top left corner of the crop box, y growing downwards, as a page view lays it out.
struct TextLine {
    std::string text;
    Rect bounds;
    // One box per character of `text` (per UTF-8 code point).
    std::vector<Rect> characters;
};

// An annotation as the page lists it: its subtype ("Text", "Link", "Widget", ...), rectangle, text
// contents, for a link within the document the index of its target page (-1 for none), its
// author (/T) and its raw /QuadPoints (x1 y1 ... x4 y4 per marked area, page coordinates).
struct Annotation {
    std::string type;
    Rect rect;
    std::string contents;
    int targetPage = -1;
    std::string author {};
    std::vector<double> quadPoints {};
    bool operator==(const Annotation&) const = default;
};

// An open PDF document. A handle is used by one thread at a time; threads that work on the same
// file side by side each open their own handle. Move-only.
class Document {
public:
    // Opens a file, repairing a damaged cross-reference table as readers do. An encrypted file
    // opens only with its password (user or owner).
    static OpenResult open(const std::string& path, const std::string& password = {});
    static OpenResult openBytes(std::string_view bytes, const std::string& password = {});
    // Shorthands that only tell whether the document opened.
    static std::optional<Document> openFile(const std::string& path, const std::string& password = {});
    static std::optional<Document> fromBytes(std::string_view bytes, const std::string& password = {});

    Document(Document&& other) noexcept;
    Document& operator=(Document&& other) noexcept;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    ~Document();

    int pageCount() const;
    // The box in the page's own coordinates, before rotation; none for a missing page.
    std::optional<Rect> pageBox(int index, PageBox box) const;
    // The box's size as the page is shown, that is with width and height swapped at 90 and 270.
    std::optional<Size> pageSize(int index, PageBox box) const;
    // The page's rotation as shown: 0, 90, 180 or 270.
    int pageRotation(int index) const;
    // The page's text in reading order: lines end with "\n", blocks with an empty line. Empty for a
    // missing page.
    std::string pageText(int index) const;
    std::vector<Annotation> pageAnnotations(int index) const;
    // The outline's top-level entries in order; empty when the document has none or it cannot be
    // read. An entry whose destination is no page of this document leads nowhere.
    std::vector<OutlineEntry> outline() const;
    // The text a selection of the rectangle (in the page's own coordinates) holds: the characters
    // whose middle lies inside it, in reading order, lines separated by "\n". Empty for a missing page.
    std::string textInRect(int index, Rect area) const;
    // The page's text line by line, with where each line and character is.
    std::vector<TextLine> pageTextLines(int index) const;
    // Where the text occurs on the page, case-insensitively, in the coordinates of TextLine: one
    // rectangle per line a hit covers. At most `limit` rectangles.
    std::vector<Rect> search(int index, const std::string& text, int limit = 500) const;

    bool wasRepaired() const;
    bool isEncrypted() const;

    // The whole document as a new PDF file's bytes; none when it cannot be written.
    std::optional<std::string> toBytes(const WriteOptions& options = {}) const;

    // For the rest of the layer only. `adopt` takes over a complete document whose page tree no
    // longer changes, and indexes its pages so that finding one is not a walk of the tree.
    pdf_document* raw() const { return m_document; }
    static Document adopt(pdf_document* document);
    // The same for a document still being built.
    static Document adoptUnindexed(pdf_document* document) { return Document(document); }
    // A new reference to the page's object, for the caller to drop. Throws MuPDF errors.
    pdf_obj* pageObject(int index) const;

private:
    explicit Document(pdf_document* document) : m_document(document) { }

    pdf_document* m_document = nullptr;
    // The object number of every page, in order (0 for a page that is a direct object); empty when
    // the page tree could not be read whole.
    std::vector<int> m_pageObjects;
};

struct OpenResult {
    enum class Status { Opened, PasswordRequired, Failed };
    Status status = Status::Failed;
    std::optional<Document> document;
};

}
