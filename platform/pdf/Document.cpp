#include "platform/pdf/Document.h"

#include "platform/pdf/MuPdfContext.h"
#include "platform/pdf/MuPdfOwned.h"
#include "platform/pdf/PageGeometry.h"
#include "platform/pdf/PageSpace.h"
#include "platform/pdf/TextPageLoader.h"

#include <cstring>
#include <utility>

namespace ikw::pdf {

using namespace detail;

namespace {

// Takes over a freshly opened document: asks for the password when one is needed.
OpenResult finishOpening(fz_context* context, OwnedDocument& document, const std::string& password)
{
    volatile int needsPassword = 0;
    volatile int authenticated = 0;
    fz_try(context)
    {
        needsPassword = pdf_needs_password(context, document.get());
        if (needsPassword)
            authenticated = pdf_authenticate_password(context, document.get(), password.c_str());
        // Reading the page count loads the page tree, so a document too broken to use fails here.
        pdf_count_pages(context, document.get());
    }
    fz_catch(context)
    {
        return {};
    }
    if (needsPassword && !authenticated)
        return { OpenResult::Status::PasswordRequired, std::nullopt };
    return { OpenResult::Status::Opened, Document::adopt(document.release()) };
}

// Runs a query of the document that answers a number; `fallback` when MuPDF fails.
template<typename Query>
int queryNumber(pdf_document* document, int fallback, Query query)
{
    const DocumentLock lock(documentMutex());
    fz_context* context = threadContext();
    volatile int value = fallback;
    fz_try(context)
    {
        value = query(context, document);
    }
    fz_catch(context)
    {
        return fallback;
    }
    return value;
}

Rect toRect(fz_rect rect)
{
    return { rect.x0, rect.y0, rect.x1, rect.y1 };
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

// The subtype name; a subtype written as a string (which some writers do) gives its text.
std::string subtypeOf(fz_context* context, pdf_obj* annotation)
{
    pdf_obj* subtype = pdf_dict_get(context, annotation, PDF_NAME(Subtype));
    return pdf_is_string(context, subtype) ? pdf_to_text_string(context, subtype) : pdf_to_name(context, subtype);
}

std::vector<double> numbersOf(fz_context* context, pdf_obj* array)
{
    std::vector<double> numbers;
    const int count = pdf_array_len(context, array);
    for (int at = 0; at < count; ++at)
        numbers.push_back(pdf_to_real(context, pdf_array_get(context, array, at)));
    return numbers;
}

}

OpenResult Document::open(const std::string& path, const std::string& password)
{
    const DocumentLock lock(documentMutex());
    fz_context* context = threadContext();
    if (!context)
        return {};
    OwnedDocument document;
    fz_try(context)
    {
        document.reset(pdf_open_document(context, path.c_str()));
    }
    fz_catch(context)
    {
        return {};
    }
    return finishOpening(context, document, password);
}

OpenResult Document::openBytes(std::string_view bytes, const std::string& password)
{
    const DocumentLock lock(documentMutex());
    fz_context* context = threadContext();
    if (!context)
        return {};
    OwnedBuffer buffer;
    OwnedStream stream;
    OwnedDocument document;
    fz_try(context)
    {
        buffer.reset(fz_new_buffer_from_copied_data(context, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
        stream.reset(fz_open_buffer(context, buffer.get()));
        document.reset(pdf_open_document_with_stream(context, stream.get()));
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
    const DocumentLock lock(documentMutex());
    Document adopted(document);
    fz_context* context = threadContext();
    // MuPDF's own page index leaks a reference on every page load while it is loaded, so it is
    // loaded just long enough to copy the page object numbers.
    fz_try(context)
    {
        pdf_load_page_tree(context, document);
        adopted.m_pageObjects.assign(document->fwd_page_map, document->fwd_page_map + document->map_page_count);
        pdf_drop_page_tree(context, document);
    }
    fz_catch(context)
    {
        // A broken page tree is still read page by page.
        adopted.m_pageObjects.clear();
    }
    return adopted;
}

pdf_obj* Document::pageObject(int index) const
{
    fz_context* context = threadContext();
    // A page written straight into its parent's /Kids has no object number of its own (0 in the
    // index): only the walk of the tree finds it.
    if (index >= 0 && static_cast<std::size_t>(index) < m_pageObjects.size() && m_pageObjects[static_cast<std::size_t>(index)] > 0)
        return pdf_load_object(context, m_document, m_pageObjects[static_cast<std::size_t>(index)]);
    return pdf_keep_obj(context, pdf_lookup_page_obj(context, m_document, index));
}

Document::Document(Document&& other) noexcept
    : m_document(std::exchange(other.m_document, nullptr))
    , m_pageObjects(std::move(other.m_pageObjects))
{
}

Document& Document::operator=(Document&& other) noexcept
{
    if (this != &other) {
        Document dropped(std::move(*this));
        m_document = std::exchange(other.m_document, nullptr);
        m_pageObjects = std::move(other.m_pageObjects);
    }
    return *this;
}

Document::~Document()
{
    if (!m_document)
        return;
    const DocumentLock lock(documentMutex());
    pdf_drop_document(threadContext(), m_document);
}

int Document::pageCount() const
{
    return queryNumber(m_document, 0, [](fz_context* context, pdf_document* document) { return pdf_count_pages(context, document); });
}

std::optional<Rect> Document::pageBox(int index, PageBox box) const
{
    const DocumentLock lock(documentMutex());
    if (index < 0 || index >= pageCount())
        return std::nullopt;
    fz_context* context = threadContext();
    Rect rect;
    OwnedObject page;
    fz_try(context)
    {
        page.reset(pageObject(index));
        rect = detail::pageObjectBox(context, page.get(), box);
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
    const DocumentLock lock(documentMutex());
    if (index < 0 || index >= pageCount())
        return 0;
    fz_context* context = threadContext();
    volatile int rotation = 0;
    OwnedObject page;
    fz_try(context)
    {
        page.reset(pageObject(index));
        rotation = detail::pageObjectRotation(context, page.get());
    }
    fz_catch(context)
    {
        return 0;
    }
    return rotation;
}

std::string Document::pageText(int index) const
{
    const DocumentLock lock(documentMutex());
    if (index < 0 || index >= pageCount())
        return {};
    fz_context* context = threadContext();
    const OwnedTextPage text(loadTextPage(context, m_document, index));
    if (!text.get())
        return {};
    OwnedBuffer buffer;
    fz_try(context)
    {
        buffer.reset(fz_new_buffer_from_stext_page(context, text.get()));
    }
    fz_catch(context)
    {
        return {};
    }
    return bufferBytes(context, buffer.get());
}

std::vector<Annotation> Document::pageAnnotations(int index) const
{
    const DocumentLock lock(documentMutex());
    std::vector<Annotation> annotations;
    if (index < 0 || index >= pageCount())
        return annotations;
    fz_context* context = threadContext();
    OwnedObject page;
    fz_try(context)
    {
        page.reset(pageObject(index));
        pdf_obj* list = pdf_dict_get(context, page.get(), PDF_NAME(Annots));
        const int count = pdf_array_len(context, list);
        for (int at = 0; at < count; ++at) {
            pdf_obj* annotation = pdf_array_get(context, list, at);
            const fz_rect rect = pdf_to_rect(context, pdf_dict_get(context, annotation, PDF_NAME(Rect)));
            annotations.push_back({ subtypeOf(context, annotation), { rect.x0, rect.y0, rect.x1, rect.y1 },
                pdf_dict_get_text_string(context, annotation, PDF_NAME(Contents)), linkTargetPage(context, m_document, annotation),
                pdf_dict_get_text_string(context, annotation, PDF_NAME(T)), numbersOf(context, pdf_dict_get(context, annotation, PDF_NAME(QuadPoints))) });
        }
    }
    fz_catch(context)
    {
        return {};
    }
    return annotations;
}

std::string Document::textInRect(int index, Rect area) const
{
    const DocumentLock lock(documentMutex());
    // The structured text lies in the page as shown; the area is in the page's own space.
    const auto space = PageSpace::of(*this, index);
    if (!space)
        return {};
    const OwnedTextPage text(loadTextPage(threadContext(), m_document, index));
    if (!text.get())
        return {};
    // By the middle of each character: glyph boxes of neighbouring lines overlap, so a box that
    // merely touches the area would take in the lines above and below a highlight.
    const Rect shown = space->toShown(area);
    const auto inside = [&](fz_rect box) {
        const double x = (box.x0 + box.x1) / 2, y = (box.y0 + box.y1) / 2;
        return x >= shown.x0 && x <= shown.x1 && y >= shown.y0 && y <= shown.y1;
    };
    std::string selected;
    for (const fz_stext_block* block = text.get()->first_block; block; block = block->next) {
        if (block->type != FZ_STEXT_BLOCK_TEXT)
            continue;
        for (const fz_stext_line* line = block->u.t.first_line; line; line = line->next) {
            std::string lineText;
            for (const fz_stext_char* character = line->first_char; character; character = character->next) {
                if (!inside(fz_rect_from_quad(character->quad)))
                    continue;
                char utf8[FZ_UTFMAX];
                lineText.append(utf8, static_cast<std::size_t>(fz_runetochar(utf8, character->c)));
            }
            if (!lineText.empty())
                selected += (selected.empty() ? "" : "\n") + lineText;
        }
    }
    return selected;
}

std::vector<TextLine> Document::pageTextLines(int index) const
{
    const DocumentLock lock(documentMutex());
    if (index < 0 || index >= pageCount())
        return {};
    const OwnedTextPage text(loadTextPage(threadContext(), m_document, index));
    if (!text.get())
        return {};
    std::vector<TextLine> lines;
    for (const fz_stext_block* block = text.get()->first_block; block; block = block->next) {
        if (block->type != FZ_STEXT_BLOCK_TEXT)
            continue;
        for (const fz_stext_line* line = block->u.t.first_line; line; line = line->next) {
            TextLine& added = lines.emplace_back();
            added.bounds = toRect(line->bbox);
            for (const fz_stext_char* character = line->first_char; character; character = character->next) {
                char utf8[FZ_UTFMAX];
                added.text.append(utf8, static_cast<std::size_t>(fz_runetochar(utf8, character->c)));
                added.characters.push_back(toRect(fz_rect_from_quad(character->quad)));
            }
        }
    }
    return lines;
}

std::vector<Rect> Document::search(int index, const std::string& text, int limit) const
{
    const DocumentLock lock(documentMutex());
    if (index < 0 || index >= pageCount() || text.empty() || limit < 1)
        return {};
    fz_context* context = threadContext();
    std::vector<fz_quad> hits(static_cast<std::size_t>(limit));
    OwnedPage page;
    volatile int count = 0;
    fz_try(context)
    {
        page.reset(fz_load_page(context, &m_document->super, index));
        count = fz_search_page(context, page.get(), text.c_str(), nullptr, hits.data(), limit);
    }
    fz_catch(context)
    {
        return {};
    }
    std::vector<Rect> rects;
    for (int hit = 0; hit < count; ++hit)
        rects.push_back(toRect(fz_rect_from_quad(hits[static_cast<std::size_t>(hit)])));
    return rects;
}

bool Document::wasRepaired() const
{
    return queryNumber(m_document, 0, [](fz_context* context, pdf_document* document) { return pdf_was_repaired(context, document); });
}

bool Document::isEncrypted() const
{
    return queryNumber(m_document, 0, [](fz_context* context, pdf_document* document) {
        return pdf_crypt_version(context, document->crypt) > 0 ? 1 : 0;
    });
}

namespace {

// Whether the stream's data, once decrypted, is empty. Only short streams can be: AES turns no
// data into one 32-byte block.
bool hasEmptyData(fz_context* context, pdf_document* document, int number)
{
    volatile bool empty = false;
    OwnedObject object;
    OwnedBuffer data;
    fz_try(context)
    {
        object.reset(pdf_new_indirect(context, document, number, 0));
        if (pdf_is_stream(context, object.get()) && pdf_dict_get_int(context, object.get(), PDF_NAME(Length)) <= 32) {
            data.reset(pdf_load_raw_stream_number(context, document, number));
            empty = fz_buffer_storage(context, data.get(), nullptr) == 0;
        }
    }
    fz_catch(context)
    {
        return false;
    }
    return empty;
}

// Gives the stream the Flate form of no data: what it decodes to stays nothing.
void giveFlateFormOfNothing(fz_context* context, pdf_document* document, int number)
{
    static const unsigned char nothing[] = { 0x78, 0x9c, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01 };
    OwnedObject object;
    OwnedBuffer data;
    fz_try(context)
    {
        object.reset(pdf_new_indirect(context, document, number, 0));
        data.reset(fz_new_buffer_from_copied_data(context, nothing, sizeof nothing));
        pdf_update_stream(context, document, object.get(), data.get(), 1);
        pdf_dict_put(context, object.get(), PDF_NAME(Filter), PDF_NAME(FlateDecode));
        pdf_dict_del(context, object.get(), PDF_NAME(DecodeParms));
    }
    fz_catch(context)
    {
    }
}

// MuPDF writes a stream without data into an AES-encrypted file with the length of the block AES
// makes of it but without the block, which breaks the file's syntax. Such streams are given data
// that decodes to nothing before the file is written with its encryption kept.
void mendEmptyStreamsForAes(fz_context* context, pdf_document* document)
{
    const char* method = document->crypt ? pdf_crypt_method(context, document->crypt) : "";
    if (std::strncmp(method, "AES", 3) != 0)
        return;
    const int count = pdf_xref_len(context, document);
    for (int number = 1; number < count; ++number) {
        if (hasEmptyData(context, document, number))
            giveFlateFormOfNothing(context, document, number);
    }
}

}

std::optional<std::string> Document::toBytes(const WriteOptions& options) const
{
    const DocumentLock lock(documentMutex());
    fz_context* context = threadContext();
    pdf_write_options writeOptions = pdf_default_write_options;
    writeOptions.do_compress = 1;
    writeOptions.do_garbage = options.dropUnusedObjects ? 1 : 0;
    if (options.userPassword) {
        const std::string& owner = options.ownerPassword.value_or(*options.userPassword);
        if (options.userPassword->size() >= sizeof writeOptions.upwd_utf8 || owner.size() >= sizeof writeOptions.opwd_utf8)
            return std::nullopt;
        writeOptions.do_encrypt = PDF_ENCRYPT_AES_256;
        writeOptions.permissions = ~0;
        std::strcpy(writeOptions.upwd_utf8, options.userPassword->c_str());
        std::strcpy(writeOptions.opwd_utf8, owner.c_str());
    }
    if (!options.userPassword)
        mendEmptyStreamsForAes(context, m_document);
    OwnedBuffer buffer;
    OwnedOutput output;
    fz_try(context)
    {
        buffer.reset(fz_new_buffer(context, 64 * 1024));
        output.reset(fz_new_output_with_buffer(context, buffer.get()));
        pdf_write_document(context, m_document, output.get(), &writeOptions);
        fz_close_output(context, output.get());
    }
    fz_catch(context)
    {
        return std::nullopt;
    }
    return bufferBytes(context, buffer.get());
}

}
