#include "review/ResourceSchemes.h"

#include "platform/core/Log.h"
#include "review/TrustedRoots.h"

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

// Runs `handler` for requests of trusted pages; every other request fails as a bad one.
template<typename Handler>
ui::SchemeHandler servingTrustedPages(std::string_view scheme, std::vector<std::string> trustedRoots, std::shared_ptr<Handler> handler)
{
    return [scheme = std::string(scheme), roots = std::move(trustedRoots), handler = std::move(handler)](std::shared_ptr<ui::SchemeRequest> request) {
        if (!isTrustedPageUrl(request->pageUrl(), roots)) {
            logLine(scheme + ": refused a request of a page outside the product's folders");
            request->fail(scheme + " error 1");
            return;
        }
        handler->start(requestFor(request), replyTo(request));
    };
}

}

void registerResourceSchemes(ui::WebContext& context, std::vector<std::string> trustedRoots)
{
    registerResourceSchemes(context, std::move(trustedRoots), std::make_shared<PdfSchemeHandler>(), std::make_shared<PageImageSchemeHandler>());
}

void registerResourceSchemes(ui::WebContext& context, std::vector<std::string> trustedRoots,
    std::shared_ptr<PdfSchemeHandler> pdfHandler, std::shared_ptr<PageImageSchemeHandler> pageImageHandler)
{
    context.registerScheme(std::string(PdfSchemeHandler::kScheme),
        servingTrustedPages(PdfSchemeHandler::kScheme, trustedRoots, std::move(pdfHandler)));
    context.registerScheme(std::string(PageImageSchemeHandler::kScheme),
        servingTrustedPages(PageImageSchemeHandler::kScheme, std::move(trustedRoots), std::move(pageImageHandler)));
}

const std::vector<std::string>& resourceSchemeNames()
{
    static const std::vector<std::string> names { std::string(PdfSchemeHandler::kScheme), std::string(PageImageSchemeHandler::kScheme) };
    return names;
}

}
