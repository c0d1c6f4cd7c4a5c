#include "review/ResourceSchemes.h"

#include <string>

namespace ikw::review {

namespace {

// Our request for the web view's, stopped when the web view's is.
std::shared_ptr<SchemeRequest> requestFor(const std::shared_ptr<ui::SchemeRequest>& request)
{
    return std::make_shared<SchemeRequest>(request->url(), [request] { return request->isStopped(); });
}

SchemeReply replyTo(std::shared_ptr<ui::SchemeRequest> request)
{
    return [request = std::move(request)](SchemeAnswer answer) {
        if (auto* response = std::get_if<SchemeResponse>(&answer)) {
            request->respond({ response->status, std::move(response->mimeType), std::move(response->headers), std::move(response->body) });
            return;
        }
        const SchemeError& error = std::get<SchemeError>(answer);
        request->fail(error.domain + " error " + std::to_string(error.code));
    };
}

}

void registerResourceSchemes(ui::WebContext& context)
{
    registerResourceSchemes(context, std::make_shared<PdfSchemeHandler>(), std::make_shared<PageImageSchemeHandler>());
}

void registerResourceSchemes(ui::WebContext& context, std::shared_ptr<PdfSchemeHandler> pdfHandler,
    std::shared_ptr<PageImageSchemeHandler> pageImageHandler)
{
    context.registerScheme(std::string(PdfSchemeHandler::kScheme), [handler = std::move(pdfHandler)](std::shared_ptr<ui::SchemeRequest> request) {
        handler->start(requestFor(request), replyTo(request));
    });
    context.registerScheme(std::string(PageImageSchemeHandler::kScheme),
        [handler = std::move(pageImageHandler)](std::shared_ptr<ui::SchemeRequest> request) {
            handler->start(requestFor(request), replyTo(request));
        });
}

}
