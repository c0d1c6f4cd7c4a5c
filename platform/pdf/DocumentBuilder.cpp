#include "platform/pdf/DocumentBuilder.h"

#include "platform/pdf/MuPdfContext.h"
#include "platform/pdf/PageGeometry.h"

#include <string>
#include <utility>

namespace ikw::pdf {

using detail::threadContext;

namespace {

// A PDF string literal: backslash, parentheses and line ends escaped; other bytes as they are
// (WinAnsi text).
std::string pdfStringLiteral(std::string_view text)
{
    std::string literal = "(";
    for (const char character : text) {
        if (character == '(' || character == ')' || character == '\\')
            literal += '\\';
        if (character == '\n' || character == '\r')
            literal += ' ';
        else
            literal += character;
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

DocumentBuilder::DocumentBuilder()
{
    fz_context* context = threadContext();
    if (!context)
        return;
    pdf_document* document = nullptr;
    fz_var(document);
    fz_try(context)
    {
        document = pdf_create_document(context);
    }
    fz_catch(context)
    {
        return;
    }
    m_document = Document::adopt(document);
}

DocumentBuilder::~DocumentBuilder()
{
    dropGraftMaps();
}

void DocumentBuilder::dropGraftMaps()
{
    fz_context* context = threadContext();
    for (const GraftMap& entry : m_graftMaps) {
        pdf_drop_graft_map(context, entry.map);
        pdf_drop_document(context, entry.source);
    }
    m_graftMaps.clear();
}

pdf_graft_map* DocumentBuilder::graftMapFor(const Document& source)
{
    for (const GraftMap& entry : m_graftMaps) {
        if (entry.source == source.raw())
            return entry.map;
    }
    fz_context* context = threadContext();
    pdf_graft_map* map = nullptr;
    fz_var(map);
    fz_try(context)
    {
        map = pdf_new_graft_map(context, m_document->raw());
    }
    fz_catch(context)
    {
        return nullptr;
    }
    m_graftMaps.push_back({ pdf_keep_document(context, source.raw()), map });
    return map;
}

bool DocumentBuilder::appendPageCopy(const Document& source, int index, std::optional<int> rotation)
{
    if (!m_document || index < 0 || index >= source.pageCount())
        return false;
    pdf_graft_map* map = graftMapFor(source);
    if (!map)
        return false;
    fz_context* context = threadContext();
    pdf_document* target = m_document->raw();
    const int at = pageCount();
    fz_try(context)
    {
        pdf_graft_mapped_page(context, map, at, source.raw(), index);
        if (rotation) {
            pdf_obj* page = pdf_lookup_page_obj(context, target, at);
            pdf_dict_put_int(context, page, PDF_NAME(Rotate), detail::normaliseRotation(*rotation));
        }
    }
    fz_catch(context)
    {
        // A half-inserted page must not stay behind.
        fz_try(context)
        {
            if (pdf_count_pages(context, target) > at)
                pdf_delete_page(context, target, at);
        }
        fz_catch(context)
        {
        }
        return false;
    }
    return true;
}

bool DocumentBuilder::appendBlankPage(Rect mediaBox, int rotation, std::string_view text)
{
    if (!m_document)
        return false;
    fz_context* context = threadContext();
    pdf_document* target = m_document->raw();
    const std::string content = text.empty() ? std::string() : textContent(mediaBox, text);
    pdf_obj* resources = nullptr;
    pdf_obj* page = nullptr;
    fz_buffer* contents = nullptr;
    fz_var(resources);
    fz_var(page);
    fz_var(contents);
    fz_try(context)
    {
        resources = pdf_new_dict(context, target, 1);
        if (!text.empty()) {
            pdf_obj* fonts = pdf_dict_put_dict(context, resources, PDF_NAME(Font), 1);
            pdf_obj* font = pdf_dict_puts_dict(context, fonts, "F1", 4);
            pdf_dict_put(context, font, PDF_NAME(Type), PDF_NAME(Font));
            pdf_dict_put(context, font, PDF_NAME(Subtype), PDF_NAME(Type1));
            pdf_dict_put_name(context, font, PDF_NAME(BaseFont), "Helvetica");
            pdf_dict_put(context, font, PDF_NAME(Encoding), PDF_NAME(WinAnsiEncoding));
        }
        contents = fz_new_buffer_from_copied_data(context, reinterpret_cast<const unsigned char*>(content.data()), content.size());
        const fz_rect box { static_cast<float>(mediaBox.x0), static_cast<float>(mediaBox.y0),
            static_cast<float>(mediaBox.x1), static_cast<float>(mediaBox.y1) };
        page = pdf_add_page(context, target, box, detail::normaliseRotation(rotation), resources, contents);
        pdf_insert_page(context, target, -1, page);
    }
    fz_always(context)
    {
        pdf_drop_obj(context, page);
        fz_drop_buffer(context, contents);
        pdf_drop_obj(context, resources);
    }
    fz_catch(context)
    {
        return false;
    }
    return true;
}

int DocumentBuilder::pageCount() const
{
    return m_document ? m_document->pageCount() : 0;
}

std::optional<Document> DocumentBuilder::finish()
{
    dropGraftMaps();
    return std::exchange(m_document, std::nullopt);
}

}
