#include "platform/ui/gtk/SchemeRequest.h"

#include "platform/core/TaskQueue.h"

#include <libsoup/soup.h>

namespace ikw::ui::gtk3 {

namespace {

constexpr const char* kPageStopKey = "ikw-page-stop";
constexpr const char* kDocumentUrlKey = "ikw-document-url";

void finishWithError(WebKitURISchemeRequest* request, const std::string& message)
{
    GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_FAILED, message.c_str());
    webkit_uri_scheme_request_finish_error(request, error);
    g_error_free(error);
}

void finishWithResponse(WebKitURISchemeRequest* request, const SchemeResponse& answer)
{
    GBytes* bytes = g_bytes_new(answer.body.data(), answer.body.size());
    GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
    g_bytes_unref(bytes);
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(stream, static_cast<gint64>(answer.body.size()));
    g_object_unref(stream);
    webkit_uri_scheme_response_set_status(response, static_cast<guint>(answer.status), nullptr);
    webkit_uri_scheme_response_set_content_type(response, answer.mimeType.c_str());
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    for (const auto& [name, value] : answer.headers)
        soup_message_headers_append(headers, name.c_str(), value.c_str());
    webkit_uri_scheme_response_set_http_headers(response, headers); // takes the headers
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
}

}

PageStop pageStopOf(WebKitWebView* view)
{
    if (!view)
        return nullptr;
    auto* stop = static_cast<PageStop*>(g_object_get_data(G_OBJECT(view), kPageStopKey));
    return stop ? *stop : nullptr;
}

void setPageStop(WebKitWebView* view, const PageStop& stop)
{
    g_object_set_data_full(G_OBJECT(view), kPageStopKey, new PageStop(stop),
        [](gpointer data) { delete static_cast<PageStop*>(data); });
}

std::string documentUrlOf(WebKitWebView* view)
{
    const auto* url = view ? static_cast<const std::string*>(g_object_get_data(G_OBJECT(view), kDocumentUrlKey)) : nullptr;
    return url ? *url : std::string();
}

void setDocumentUrl(WebKitWebView* view, const std::string& url)
{
    g_object_set_data_full(G_OBJECT(view), kDocumentUrlKey, new std::string(url),
        [](gpointer data) { delete static_cast<std::string*>(data); });
}

std::shared_ptr<SchemeRequest> SchemeRequest::make(WebKitURISchemeRequest* request)
{
    WebKitWebView* view = webkit_uri_scheme_request_get_web_view(request);
    return std::shared_ptr<SchemeRequest>(new SchemeRequest(request, pageStopOf(view), documentUrlOf(view)));
}

SchemeRequest::SchemeRequest(WebKitURISchemeRequest* request, PageStop stopped, std::string pageUrl)
    : m_url(webkit_uri_scheme_request_get_uri(request))
    , m_pageUrl(std::move(pageUrl))
    , m_stopped(std::move(stopped))
    , m_request(std::make_shared<GObjectRef<WebKitURISchemeRequest>>(GObjectRef<WebKitURISchemeRequest>::retain(request)))
{
}

SchemeRequest::~SchemeRequest()
{
    // A handler that dropped its request without answering must not leave the page waiting.
    if (!m_answered.exchange(true)) {
        auto request = m_request;
        auto stopped = m_stopped;
        mainQueue().post([request, stopped] {
            if (!(stopped && stopped->load()))
                finishWithError(request->get(), "no answer");
        });
        return;
    }
    if (!mainQueue().isMainThread())
        mainQueue().post([request = std::move(m_request)] {});
}

void SchemeRequest::finishOnMain(std::function<void(WebKitURISchemeRequest*)> finish)
{
    if (m_answered.exchange(true))
        return;
    mainQueue().post([request = m_request, stopped = m_stopped, finish = std::move(finish)] {
        if (stopped && stopped->load())
            return;
        finish(request->get());
    });
}

void SchemeRequest::respond(SchemeResponse response)
{
    finishOnMain([response = std::move(response)](WebKitURISchemeRequest* request) { finishWithResponse(request, response); });
}

void SchemeRequest::fail(std::string message)
{
    finishOnMain([message = std::move(message)](WebKitURISchemeRequest* request) { finishWithError(request, message); });
}

}
