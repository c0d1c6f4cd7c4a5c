#include "platform/pdf/DocumentBuilder.h"

#include "platform/pdf/MuPdfContext.h"
#include "platform/pdf/MuPdfOwned.h"
#include "platform/pdf/PageGeometry.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace ikw::pdf {

using namespace detail;

namespace {

// A PDF string literal: backslash and parentheses escaped, line ends as spaces; other bytes as
// they are (WinAnsi text).
std::string pdfStringLiteral(std::string_view text)
{
    std::string literal = "(";
    for (const char character : text) {
        if (character == '(' || character == ')' || character == '\\')
            literal += '\\';
        literal += character == '\n' || character == '\r' ? ' ' : character;
    }
    return literal + ")";
}

std::string textContent(Rect mediaBox, std::string_view text)
{
    const double fontSize = 24;
    const double x = mediaBox.x0 + 36;
    const double y = mediaBox.y1 - 36 - fontSize;
    return "BT /F1 " + std::to_string(fontSize) + " Tf " + std::to_string(x) + " " + std::to_string(y) + " Td "
        + pdfStringLiteral(text) + " Tj ET\n";
}

bool isPage(fz_context* context, pdf_obj* object)
{
    return pdf_name_eq(context, pdf_dict_get(context, object, PDF_NAME(Type)), PDF_NAME(Page));
}

bool isPageTree(fz_context* context, pdf_obj* object)
{
    return pdf_name_eq(context, pdf_dict_get(context, object, PDF_NAME(Type)), PDF_NAME(Pages));
}

}

// Deep-copies objects from source documents into the new one. Each source's objects are copied
// once (a map from source object numbers to new ones), so shared fonts and images stay shared.
// References to pages are not followed, so a link can never drag a whole source document along:
// they map to the page's copy, made before or after the link, or else to null. The functions throw
// MuPDF errors and run inside fz_try, so they keep no object with a destructor on the stack (an
// error jumps over their frames).
struct DocumentBuilder::Copier {
    struct Source {
        pdf_document* document;
        std::unordered_map<int, int> copies;
    };

    pdf_document* target;
    pdf_obj* pagesRoot = nullptr;
    pdf_obj* helvetica = nullptr;
    std::vector<Source> sources;
    std::unordered_set<int> pendingPages;

    ~Copier()
    {
        fz_context* context = threadContext();
        pdf_drop_obj(context, helvetica);
        for (const Source& source : sources)
            pdf_drop_document(context, source.document);
    }

    // The font of text pages: one object that every text page shares.
    pdf_obj* textFont(fz_context* context)
    {
        if (!helvetica) {
            helvetica = pdf_add_new_dict(context, target, 4);
            pdf_dict_put(context, helvetica, PDF_NAME(Type), PDF_NAME(Font));
            pdf_dict_put(context, helvetica, PDF_NAME(Subtype), PDF_NAME(Type1));
            pdf_dict_put_name(context, helvetica, PDF_NAME(BaseFont), "Helvetica");
            pdf_dict_put(context, helvetica, PDF_NAME(Encoding), PDF_NAME(WinAnsiEncoding));
        }
        return helvetica;
    }

    // The source's map; the copier keeps the source document alive, so its address stays its own.
    Source& sourceFor(fz_context* context, pdf_document* document)
    {
        for (Source& source : sources) {
            if (source.document == document)
                return source;
        }
        sources.push_back({ pdf_keep_document(context, document), {} });
        return sources.back();
    }

    pdf_obj* copy(fz_context* context, Source& source, pdf_obj* object)
    {
        if (!pdf_is_indirect(context, object))
            return copyDirect(context, source, object);
        const int number = pdf_to_num(context, object);
        const auto found = source.copies.find(number);
        if (found != source.copies.end())
            return pdf_new_indirect(context, target, found->second, 0);
        pdf_obj* resolved = pdf_resolve_indirect(context, object);
        if (isPageTree(context, resolved))
            return PDF_NULL;
        if (isPage(context, resolved)) {
            // A link to a page that may be copied later: reserve its number now.
            const int placeholder = pdf_create_object(context, target);
            source.copies.emplace(number, placeholder);
            pendingPages.insert(placeholder);
            return pdf_new_indirect(context, target, placeholder, 0);
        }
        const int copyNumber = pdf_create_object(context, target);
        source.copies.emplace(number, copyNumber);
        pdf_obj* value = copyDirect(context, source, resolved);
        pdf_update_object(context, target, copyNumber, value);
        pdf_drop_obj(context, value);
        pdf_obj* reference = pdf_new_indirect(context, target, copyNumber, 0);
        if (pdf_is_stream(context, object)) {
            fz_buffer* raw = pdf_load_raw_stream(context, object);
            pdf_update_stream(context, target, reference, raw, 1);
            fz_drop_buffer(context, raw);
        }
        return reference;
    }

    pdf_obj* copyDirect(fz_context* context, Source& source, pdf_obj* object)
    {
        if (pdf_is_array(context, object)) {
            const int length = pdf_array_len(context, object);
            pdf_obj* array = pdf_new_array(context, target, length);
            for (int index = 0; index < length; ++index)
                pdf_array_push_drop(context, array, copy(context, source, pdf_array_get(context, object, index)));
            return array;
        }
        if (pdf_is_dict(context, object)) {
            const int length = pdf_dict_len(context, object);
            pdf_obj* dictionary = pdf_new_dict(context, target, length);
            for (int index = 0; index < length; ++index)
                pdf_dict_put_drop(context, dictionary, pdf_dict_get_key(context, object, index),
                    copy(context, source, pdf_dict_get_val(context, object, index)));
            return dictionary;
        }
        return pdf_keep_obj(context, object);
    }

    // The new object number of a source page: the one links already point at when they were
    // copied before the page, else a fresh one (also for a second copy of the page).
    int pageNumberFor(fz_context* context, Source& source, int sourceNumber)
    {
        const auto found = source.copies.find(sourceNumber);
        if (found != source.copies.end() && pendingPages.erase(found->second))
            return found->second;
        const int number = pdf_create_object(context, target);
        source.copies[sourceNumber] = number;
        return number;
    }

    // Copies the source page: its own entries, inherited ones made its own, and fresh copies of
    // its annotations pointing back at the new page. Returns the new page's reference.
    pdf_obj* copyPage(fz_context* context, Source& source, pdf_obj* sourcePage)
    {
        const int number = pageNumberFor(context, source, pdf_obj_parent_num(context, sourcePage));
        pdf_obj* annotations = pdf_dict_get(context, sourcePage, PDF_NAME(Annots));
        // A page copied twice gets annotations of its own each time.
        for (int index = 0; index < pdf_array_len(context, annotations); ++index)
            source.copies.erase(pdf_to_num(context, pdf_array_get(context, annotations, index)));

        pdf_obj* page = pdf_new_dict(context, target, 8);
        const int length = pdf_dict_len(context, sourcePage);
        for (int index = 0; index < length; ++index) {
            pdf_obj* key = pdf_dict_get_key(context, sourcePage, index);
            // The page tree, article beads and the structure tree are the source document's.
            if (pdf_name_eq(context, key, PDF_NAME(Parent)) || pdf_name_eq(context, key, PDF_NAME(B))
                || pdf_name_eq(context, key, PDF_NAME(StructParents)) || pdf_name_eq(context, key, PDF_NAME(Type)))
                continue;
            pdf_dict_put_drop(context, page, key, copy(context, source, pdf_dict_get_val(context, sourcePage, index)));
        }
        pdf_obj* const inherited[] = { PDF_NAME(Resources), PDF_NAME(MediaBox), PDF_NAME(CropBox), PDF_NAME(Rotate) };
        for (pdf_obj* key : inherited) {
            if (pdf_dict_get(context, page, key))
                continue;
            if (pdf_obj* value = pdf_dict_get_inheritable(context, sourcePage, key))
                pdf_dict_put_drop(context, page, key, copy(context, source, value));
        }
        pdf_dict_put(context, page, PDF_NAME(Type), PDF_NAME(Page));
        pdf_update_object(context, target, number, page);
        pdf_drop_obj(context, page);
        return pdf_new_indirect(context, target, number, 0);
    }

    // Links to pages that never joined the new document point at null.
    void settlePendingPages(fz_context* context)
    {
        for (const int number : pendingPages)
            pdf_update_object(context, target, number, PDF_NULL);
        pendingPages.clear();
    }

    // Hangs the page at the end of the new document's flat page tree.
    void appendToTree(fz_context* context, pdf_obj* page, int count)
    {
        pdf_dict_put(context, page, PDF_NAME(Parent), pagesRoot);
        pdf_array_push(context, pdf_dict_get(context, pagesRoot, PDF_NAME(Kids)), page);
        pdf_dict_put_int(context, pagesRoot, PDF_NAME(Count), count);
    }
};

DocumentBuilder::DocumentBuilder()
{
    const DocumentLock lock(documentMutex());
    fz_context* context = threadContext();
    if (!context)
        return;
    OwnedDocument document;
    pdf_obj* volatile pagesRoot = nullptr;
    fz_try(context)
    {
        document.reset(pdf_create_document(context));
        pagesRoot = pdf_dict_getp(context, pdf_trailer(context, document.get()), "Root/Pages");
    }
    fz_catch(context)
    {
        return;
    }
    m_copier = std::make_unique<Copier>();
    m_copier->target = document.get();
    m_copier->pagesRoot = pagesRoot;
    m_document.emplace(Document::adoptUnindexed(document.release()));
}

DocumentBuilder::~DocumentBuilder()
{
    const DocumentLock lock(documentMutex());
    m_copier.reset();
    m_document.reset();
}

bool DocumentBuilder::appendPageCopy(const Document& source, int index, std::optional<int> rotation)
{
    const DocumentLock lock(documentMutex());
    if (!m_document || index < 0 || index >= source.pageCount())
        return false;
    fz_context* context = threadContext();
    Copier::Source* const volatile from = &m_copier->sourceFor(context, source.raw());
    OwnedObject sourcePage;
    OwnedObject page;
    fz_try(context)
    {
        sourcePage.reset(source.pageObject(index));
        page.reset(m_copier->copyPage(context, *from, sourcePage.get()));
        if (rotation)
            pdf_dict_put_int(context, page.get(), PDF_NAME(Rotate), detail::normaliseRotation(*rotation));
        m_copier->appendToTree(context, page.get(), m_pageCount + 1);
    }
    fz_catch(context)
    {
        return false;
    }
    ++m_pageCount;
    return true;
}

bool DocumentBuilder::appendBlankPage(Rect mediaBox, int rotation, std::string_view text)
{
    const DocumentLock lock(documentMutex());
    if (!m_document)
        return false;
    fz_context* context = threadContext();
    pdf_document* target = m_document->raw();
    const std::string content = text.empty() ? std::string() : textContent(mediaBox, text);
    OwnedObject resources;
    OwnedBuffer contents;
    OwnedObject page;
    fz_try(context)
    {
        resources.reset(pdf_new_dict(context, target, 1));
        if (!text.empty()) {
            pdf_obj* fonts = pdf_dict_put_dict(context, resources.get(), PDF_NAME(Font), 1);
            pdf_dict_puts(context, fonts, "F1", m_copier->textFont(context));
        }
        contents.reset(fz_new_buffer_from_copied_data(context, reinterpret_cast<const unsigned char*>(content.data()), content.size()));
        const fz_rect box { static_cast<float>(mediaBox.x0), static_cast<float>(mediaBox.y0),
            static_cast<float>(mediaBox.x1), static_cast<float>(mediaBox.y1) };
        page.reset(pdf_add_page(context, target, box, detail::normaliseRotation(rotation), resources.get(), contents.get()));
        m_copier->appendToTree(context, page.get(), m_pageCount + 1);
    }
    fz_catch(context)
    {
        return false;
    }
    ++m_pageCount;
    return true;
}

std::optional<Document> DocumentBuilder::finish()
{
    const DocumentLock lock(documentMutex());
    if (m_copier) {
        fz_context* context = threadContext();
        fz_try(context)
        {
            m_copier->settlePendingPages(context);
        }
        fz_catch(context)
        {
            m_copier.reset();
            m_document.reset();
            return std::nullopt;
        }
    }
    m_copier.reset();
    m_pageCount = 0;
    if (!m_document)
        return std::nullopt;
    // The pages are final now: hand over a document that finds its pages quickly.
    pdf_document* document = pdf_keep_document(threadContext(), m_document->raw());
    m_document.reset();
    return Document::adopt(document);
}

}
