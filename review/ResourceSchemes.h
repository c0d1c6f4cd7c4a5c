#pragma once

#include "platform/ui/WebView.h"
#include "review/PageImageSchemeHandler.h"
#include "review/PdfSchemeHandler.h"

#include <memory>
#include <string>
#include <vector>

namespace ikw::review {

// Serves "vtpdf" and "vtpage" to the web views of the context, for pages under `trustedRoots`
// only: a request from any other page (by the document its view shows) fails at once with code 1,
// before anything is read. Stopped requests (the page went away) are left unanswered; a failure
// reaches the page as a load error naming the scheme and its code ("vtpage error 2").
void registerResourceSchemes(ui::WebContext& context, std::vector<std::string> trustedRoots);
void registerResourceSchemes(ui::WebContext& context, std::vector<std::string> trustedRoots,
    std::shared_ptr<PdfSchemeHandler> pdfHandler, std::shared_ptr<PageImageSchemeHandler> pageImageHandler);

// The two schemes' names.
const std::vector<std::string>& resourceSchemeNames();

}
