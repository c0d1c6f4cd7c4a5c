#include "platform/pdf/Document.h"

#include "platform/pdf/MuPdfContext.h"
#include "platform/pdf/PageGeometry.h"

#include <cstring>
#include <utility>

namespace ikw::pdf {

using detail::threadContext;

namespace {

// Takes over a freshly opened document: asks for the password when one is needed.
OpenResult finishOpening(fz_context* context, pdf_document* document, const std::string& password)
{
    volatile int needsPassword = 0;
    volatile int authenticated = 0;
    fz_try(context)
    {
        needsPassword = pdf_needs_password(context, document);
        if (needsPassword)
            authenticated = pdf_authenticate_password(context, document, password.c_str());
        // Reading the page count loads the page tree, so a document too broken to use fails here.
        pdf_count_pages(context, document);
    }
    fz_catch(context)
    {
        pdf_drop_document(context, document);
        return {};
    }
    if (needsPassword && !authenticated) {
        pdf_drop_document(context, document);
        return { OpenResult::Status::PasswordRequired, std::nullopt };
    }
    return { OpenResult::Status::Opened, Document::adopt(document) };
}

// The page an explicit destination ("/Dest [page ...]" or a GoTo action) points at.
int linkTargetPage(fz_context* context, pdf_document* document, pdf_obj* annotation)
{
    pdf_obj* destination = pdf_dict_get(context, annotation, PDF_NAME(Dest));
    pdf_obj* action = pdf_dict_get(context, annotation, PDF_NAME(A));
    if (!destination && pdf_name_eq(context, pdf_dict_get(context, action, PDF_NAME(S)), PDF_NAME(GoTo)))
        destination = pdf_dict_get(context, action, PDF_NAME(D));
    pdf_obj* page = pdf_array_get(context, destination, 0);
    return pdf_is_dict(context, page) ? pdf_lookup_page_number(context, document, page) : -1;
}

}

OpenResult Document::open(const std::string& path, const std::string& password)
{
    fz_context* context = threadContext();
    if (!context)
        return {};
    pdf_document* document = nullptr;
    fz_var(document);
    fz_try(context)
    {
        document = pdf_open_document(context, path.c_str());
    }
    fz_catch(context)
    {
        return {};
    }
    return finishOpening(context, document, password);
}

OpenResult Document::openBytes(std::string_view bytes, const std::string& password)
{
    fz_context* context = threadContext();
    if (!context)
        return {};
    fz_buffer* buffer = nullptr;
    fz_stream* stream = nullptr;
    pdf_document* document = nullptr;
    fz_var(buffer);
    fz_var(stream);
    fz_var(document);
    fz_try(context)
    {
        buffer = fz_new_buffer_from_copied_data(context, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        stream = fz_open_buffer(context, buffer);
        document = pdf_open_document_with_stream(context, stream);
    }
    fz_always(context)
    {
        fz_drop_stream(context, stream);
        fz_drop_buffer(context, buffer);
    }
    fz_catch(context)
    {
        return {};
    }
    return finishOpening(context, document, password);
}

std::optional<Document> Document::openFile(const std::string& path, const std::string& password)
{
    return open(path, password).document;
}

std::optional<Document> Document::fromBytes(std::string_view bytes, const std::string& password)
{
    return openBytes(bytes, password).document;
}

Document Document::adopt(pdf_document* document)
{
    Document adopted(document);
    fz_context* context = threadContext();
    fz_try(context)
    {
        pdf_load_page_tree(context, document);
        adopted.m_pagesIndexed = true;
    }
    fz_catch(context)
    {
        // A broken page tree is still read page by page.
    }
    return adopted;
}

Document::Document(Document&& other) noexcept
    : m_document(std::exchange(other.m_document, nullptr))
    , m_pagesIndexed(std::exchange(other.m_pagesIndexed, false))
{
}

Document& Document::operator=(Document&& other) noexcept
{
    if (this != &other) {
        Document dropped(std::move(*this));
        m_document = std::exchange(other.m_document, nullptr);
        m_pagesIndexed = std::exchange(other.m_pagesIndexed, false);
    }
    return *this;
}

Document::~Document()
{
    if (!m_document)
        return;
    fz_context* context = threadContext();
    if (m_pagesIndexed)
        pdf_drop_page_tree(context, m_document);
    pdf_drop_document(context, m_document);
}

int Document::pageCount() const
{
    fz_context* context = threadContext();
    int count = 0;
    fz_try(context)
    {
        count = pdf_count_pages(context, m_document);
    }
    fz_catch(context)
    {
        return 0;
    }
    return count;
}

std::optional<Rect> Document::pageBox(int index, PageBox box) const
{
    if (index < 0 || index >= pageCount())
        return std::nullopt;
    fz_context* context = threadContext();
    Rect rect;
    fz_try(context)
    {
        rect = detail::pageObjectBox(context, pdf_lookup_page_obj(context, m_document, index), box);
    }
    fz_catch(context)
    {
        return std::nullopt;
    }
    return rect;
}

std::optional<Size> Document::pageSize(int index, PageBox box) const
{
    const std::optional<Rect> rect = pageBox(index, box);
    if (!rect)
        return std::nullopt;
    return detail::shownSize(*rect, pageRotation(index));
}

int Document::pageRotation(int index) const
{
    if (index < 0 || index >= pageCount())
        return 0;
    fz_context* context = threadContext();
    int rotation = 0;
    fz_try(context)
    {
        rotation = detail::pageObjectRotation(context, pdf_lookup_page_obj(context, m_document, index));
    }
    fz_catch(context)
    {
        return 0;
    }
    return rotation;
}

std::string Document::pageText(int index) const
{
    if (index < 0 || index >= pageCount())
        return {};
    fz_context* context = threadContext();
    fz_page* page = nullptr;
    fz_stext_page* text = nullptr;
    fz_buffer* buffer = nullptr;
    fz_var(page);
    fz_var(text);
    fz_var(buffer);
    std::string result;
    fz_try(context)
    {
        page = fz_load_page(context, &m_document->super, index);
        text = fz_new_stext_page_from_page(context, page, nullptr);
        buffer = fz_new_buffer_from_stext_page(context, text);
        unsigned char* data = nullptr;
        const size_t length = fz_buffer_storage(context, buffer, &data);
        result.assign(reinterpret_cast<const char*>(data), length);
    }
    fz_always(context)
    {
        fz_drop_buffer(context, buffer);
        fz_drop_stext_page(context, text);
        fz_drop_page(context, page);
    }
    fz_catch(context)
    {
        return {};
    }
    return result;
}

std::vector<Annotation> Document::pageAnnotations(int index) const
{
    std::vector<Annotation> annotations;
    if (index < 0 || index >= pageCount())
        return annotations;
    fz_context* context = threadContext();
    fz_try(context)
    {
        pdf_obj* list = pdf_dict_get(context, pdf_lookup_page_obj(context, m_document, index), PDF_NAME(Annots));
        const int count = pdf_array_len(context, list);
        for (int at = 0; at < count; ++at) {
            pdf_obj* annotation = pdf_array_get(context, list, at);
            const fz_rect rect = pdf_to_rect(context, pdf_dict_get(context, annotation, PDF_NAME(Rect)));
            annotations.push_back({ pdf_to_name(context, pdf_dict_get(context, annotation, PDF_NAME(Subtype))),
                { rect.x0, rect.y0, rect.x1, rect.y1 }, pdf_dict_get_text_string(context, annotation, PDF_NAME(Contents)),
                linkTargetPage(context, m_document, annotation) });
        }
    }
    fz_catch(context)
    {
        return {};
    }
    return annotations;
}

bool Document::wasRepaired() const
{
    fz_context* context = threadContext();
    int repaired = 0;
    fz_try(context)
    {
        repaired = pdf_was_repaired(context, m_document);
    }
    fz_catch(context)
    {
        return false;
    }
    return repaired != 0;
}

bool Document::isEncrypted() const
{
    fz_context* context = threadContext();
    int encrypted = 0;
    fz_try(context)
    {
        encrypted = pdf_crypt_version(context, m_document->crypt) > 0;
    }
    fz_catch(context)
    {
        return false;
    }
    return encrypted != 0;
}

std::optional<std::string> Document::toBytes(const WriteOptions& options) const
{
    fz_context* context = threadContext();
    pdf_write_options writeOptions = pdf_default_write_options;
    writeOptions.do_compress = 1;
    if (options.userPassword) {
        const std::string& owner = options.ownerPassword.value_or(*options.userPassword);
        if (options.userPassword->size() >= sizeof writeOptions.upwd_utf8 || owner.size() >= sizeof writeOptions.opwd_utf8)
            return std::nullopt;
        writeOptions.do_encrypt = PDF_ENCRYPT_AES_256;
        writeOptions.permissions = ~0;
        std::strcpy(writeOptions.upwd_utf8, options.userPassword->c_str());
        std::strcpy(writeOptions.opwd_utf8, owner.c_str());
    }
    fz_buffer* buffer = nullptr;
    fz_output* output = nullptr;
    fz_var(buffer);
    fz_var(output);
    std::string bytes;
    fz_try(context)
    {
        buffer = fz_new_buffer(context, 64 * 1024);
        output = fz_new_output_with_buffer(context, buffer);
        pdf_write_document(context, m_document, output, &writeOptions);
        fz_close_output(context, output);
        unsigned char* data = nullptr;
        const size_t length = fz_buffer_storage(context, buffer, &data);
        bytes.assign(reinterpret_cast<const char*>(data), length);
    }
    fz_always(context)
    {
        fz_drop_output(context, output);
        fz_drop_buffer(context, buffer);
    }
    fz_catch(context)
    {
        return std::nullopt;
    }
    return bytes;
}

}
