#include "platform/pdf/Document.h"

#include "platform/pdf/MuPdfContext.h"
#include "platform/pdf/MuPdfOwned.h"

#include <set>

namespace ikw::pdf {

using namespace detail;

namespace {

// Runs a MuPDF step that holds no C++ objects of its own (an error jumps out of it); false when
// MuPDF threw.
template<typename Step>
bool attempt(fz_context* context, Step step)
{
    fz_try(context)
    {
        step();
    }
    fz_catch(context)
    {
        return false;
    }
    return true;
}

// Reads the outline tree from the catalog's /Outlines. Every item is visited once, so a tree whose
// links loop back ends there.
class OutlineReader {
public:
    OutlineReader(fz_context* context, pdf_document* document, int pageCount)
        : m_context(context), m_document(document), m_pageCount(pageCount)
    {
    }

    std::vector<OutlineEntry> childrenOf(pdf_obj* node)
    {
        std::vector<OutlineEntry> entries;
        pdf_obj* child = nullptr;
        if (!attempt(m_context, [&] { child = pdf_dict_get(m_context, node, PDF_NAME(First)); }))
            return entries;
        while (child && pdf_is_dict(m_context, child) && firstVisit(child)) {
            OutlineEntry entry;
            const char* title = nullptr;
            int page = -1;
            if (!attempt(m_context, [&] { title = pdf_dict_get_text_string(m_context, child, PDF_NAME(Title)); }))
                title = nullptr;
            if (!attempt(m_context, [&] { page = pageOf(child); }))
                page = -1;
            entry.title = title ? title : "";
            if (page >= 0)
                entry.page = page;
            entry.children = childrenOf(child);
            entries.push_back(std::move(entry));
            if (!attempt(m_context, [&] { child = pdf_dict_get(m_context, child, PDF_NAME(Next)); }))
                break;
        }
        return entries;
    }

private:
    bool firstVisit(pdf_obj* item)
    {
        const int number = pdf_to_num(m_context, item);
        return number == 0 || m_visited.insert(number).second;
    }

    // /Dest, else a GoTo action's /D; a name or string goes through the document's named
    // destinations. The first element of the destination array must be one of the pages; -1 for
    // none. Throws MuPDF errors, so it holds no C++ objects.
    int pageOf(pdf_obj* item)
    {
        pdf_obj* destination = pdf_dict_get(m_context, item, PDF_NAME(Dest));
        if (!destination) {
            pdf_obj* action = pdf_dict_get(m_context, item, PDF_NAME(A));
            if (!pdf_name_eq(m_context, pdf_dict_get(m_context, action, PDF_NAME(S)), PDF_NAME(GoTo)))
                return -1;
            destination = pdf_dict_get(m_context, action, PDF_NAME(D));
        }
        if (pdf_is_name(m_context, destination) || pdf_is_string(m_context, destination))
            destination = pdf_lookup_dest(m_context, m_document, destination);
        if (pdf_is_dict(m_context, destination))
            destination = pdf_dict_get(m_context, destination, PDF_NAME(D));
        if (!pdf_is_array(m_context, destination))
            return -1;
        pdf_obj* target = pdf_array_get(m_context, destination, 0);
        if (!pdf_is_indirect(m_context, target) || !pdf_name_eq(m_context, pdf_dict_get(m_context, target, PDF_NAME(Type)), PDF_NAME(Page)))
            return -1;
        const int page = pdf_lookup_page_number(m_context, m_document, target);
        return page < m_pageCount ? page : -1;
    }

    fz_context* m_context;
    pdf_document* m_document;
    int m_pageCount;
    std::set<int> m_visited;
};

}

std::vector<OutlineEntry> Document::outline() const
{
    const DocumentLock lock(documentMutex());
    const int pages = pageCount();
    fz_context* context = threadContext();
    pdf_obj* outlines = nullptr;
    if (!attempt(context, [&] { outlines = pdf_dict_getp(context, pdf_trailer(context, m_document), "Root/Outlines"); }) || !outlines)
        return {};
    OutlineReader reader(context, m_document, pages);
    return reader.childrenOf(outlines);
}

}
