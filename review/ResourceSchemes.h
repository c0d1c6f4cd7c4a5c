#pragma once

#include "platform/ui/WebView.h"
#include "review/PageImageSchemeHandler.h"
#include "review/PdfSchemeHandler.h"

#include <memory>

namespace ikw::review {

// Serves "vtpdf" and "vtpage" to every web view of the context. Stopped requests (the page went
// away) are left unanswered; a failure reaches the page as a load error naming the scheme and its
// code ("vtpage error 2").
void registerResourceSchemes(ui::WebContext& context);
void registerResourceSchemes(ui::WebContext& context, std::shared_ptr<PdfSchemeHandler> pdfHandler,
    std::shared_ptr<PageImageSchemeHandler> pageImageHandler);

}
