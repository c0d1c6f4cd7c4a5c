#include "platform/pdf/TextPageLoader.h"

#include "platform/pdf/MuPdfOwned.h"

namespace ikw::pdf::detail {

fz_stext_page* loadTextPage(fz_context* context, pdf_document* document, int index)
{
    OwnedPage page;
    OwnedTextPage text;
    fz_try(context)
    {
        page.reset(fz_load_page(context, &document->super, index));
        text.reset(fz_new_stext_page_from_page(context, page.get(), nullptr));
    }
    fz_catch(context)
    {
        return nullptr;
    }
    return text.release();
}

}
