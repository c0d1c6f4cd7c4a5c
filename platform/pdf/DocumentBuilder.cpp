#include "platform/pdf/DocumentBuilder.h"

#include "platform/pdf/MuPdfContext.h"
#include "platform/pdf/MuPdfOwned.h"
#include "platform/pdf/PageGeometry.h"

#include <string>

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

}

// What the new document's pages share: the page tree's root and the font of text pages.
struct DocumentBuilder::Parts {
    pdf_document* target;
    pdf_obj* pagesRoot = nullptr;
    pdf_obj* helvetica = nullptr;

    ~Parts() { pdf_drop_obj(threadContext(), helvetica); }

    // The font of text pages: one object that every text page shares. Throws MuPDF errors, which
    // jump over this frame: the new object belongs to the parts before the next call.
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

    // Hangs the page at the end of the new document's flat page tree. Throws MuPDF errors.
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
    m_parts = std::make_unique<Parts>();
    m_parts->target = document.get();
    m_parts->pagesRoot = pagesRoot;
    m_document.emplace(Document::adoptUnindexed(document.release()));
}

DocumentBuilder::~DocumentBuilder()
{
    const DocumentLock lock(documentMutex());
    m_parts.reset();
    m_document.reset();
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
            pdf_dict_puts(context, fonts, "F1", m_parts->textFont(context));
        }
        contents.reset(fz_new_buffer_from_copied_data(context, reinterpret_cast<const unsigned char*>(content.data()), content.size()));
        const fz_rect box { static_cast<float>(mediaBox.x0), static_cast<float>(mediaBox.y0),
            static_cast<float>(mediaBox.x1), static_cast<float>(mediaBox.y1) };
        page.reset(pdf_add_page(context, target, box, detail::normaliseRotation(rotation), resources.get(), contents.get()));
        m_parts->appendToTree(context, page.get(), m_pageCount + 1);
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
    m_parts.reset();
    m_pageCount = 0;
    if (!m_document)
        return std::nullopt;
    // The pages are final now: hand over a document that finds its pages quickly.
    pdf_document* document = pdf_keep_document(threadContext(), m_document->raw());
    m_document.reset();
    return Document::adopt(document);
}

}
