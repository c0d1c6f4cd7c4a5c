#include "platform/http/CurlHttpClient.h"

#include "platform/core/Text.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>

namespace ikw::http {

namespace {

using Clock = std::chrono::steady_clock;

// Waits are cut into slices of at most this, so a missed wake-up costs little.
constexpr std::chrono::milliseconds kLongestWait { 1000 };

struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiCleanup {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

void initialiseCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size()
        && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

// What the transfer collects as it runs; curl's callbacks write into it.
struct Transfer {
    HttpResponse response;
    Clock::time_point lastActivity = Clock::now();
    curl_off_t bytesMoved = 0;
    std::optional<std::size_t> maxBodyBytes;
    bool bodyTooLarge = false;

    static size_t onBody(char* data, size_t size, size_t count, void* self)
    {
        auto& transfer = *static_cast<Transfer*>(self);
        if (transfer.maxBodyBytes && size * count > *transfer.maxBodyBytes - transfer.response.body.size()) {
            transfer.bodyTooLarge = true;
            return 0; // curl ends the transfer with a write error
        }
        transfer.response.body.append(data, size * count);
        transfer.lastActivity = Clock::now();
        return size * count;
    }

    static size_t onHeader(char* data, size_t size, size_t count, void* self)
    {
        auto& transfer = *static_cast<Transfer*>(self);
        transfer.lastActivity = Clock::now();
        const std::string_view line = trim(std::string_view(data, size * count));
        // Each answer (a redirect, a "100 Continue") starts with its status line; only the last one's headers count.
        if (startsWithNoCase(line, "HTTP/")) {
            transfer.response.headers.clear();
            return size * count;
        }
        const auto colon = line.find(':');
        if (colon != std::string_view::npos)
            transfer.response.headers.push_back({ std::string(trim(line.substr(0, colon))), std::string(trim(line.substr(colon + 1))) });
        return size * count;
    }

    static int onProgress(void* self, curl_off_t downloaded, curl_off_t, curl_off_t uploaded, curl_off_t)
    {
        auto& transfer = *static_cast<Transfer*>(self);
        if (downloaded + uploaded != transfer.bytesMoved) {
            transfer.bytesMoved = downloaded + uploaded;
            transfer.lastActivity = Clock::now();
        }
        return 0;
    }
};

std::string schemeOf(std::string_view url)
{
    const auto colon = url.find("://");
    std::string scheme(colon == std::string_view::npos ? std::string_view() : url.substr(0, colon));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
    return scheme;
}

void setMethodAndBody(CURL* easy, const HttpRequest& request)
{
    if (request.method == "HEAD") {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        return;
    }
    if (request.method == "GET" && request.body.empty()) {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        return;
    }
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
    // POST through CURLOPT_POST lets a 301/302/303 turn into a GET as browsers do; a custom
    // method would be kept across redirects.
    if (request.method != "POST")
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
}

std::unique_ptr<curl_slist, ListCleanup> headerList(const HttpRequest& request)
{
    curl_slist* list = nullptr;
    for (const HttpHeader& header : request.headers)
        list = curl_slist_append(list, (header.name + ": " + header.value).c_str());
    // Large bodies go at once rather than after a "100 Continue" that servers rarely send.
    list = curl_slist_append(list, "Expect:");
    return std::unique_ptr<curl_slist, ListCleanup>(list);
}

// A line break in a header would let a value smuggle in headers (or a request) of its own.
bool headersAreSafe(const std::vector<HttpHeader>& headers)
{
    return std::all_of(headers.begin(), headers.end(), [](const HttpHeader& header) {
        return !header.name.empty() && header.name.find_first_of(":\r\n \t") == std::string::npos
            && header.value.find_first_of("\r\n") == std::string::npos;
    });
}

// What arrived before the failure is dropped: a cut-off body is no answer.
HttpResponse failed(HttpFailure failure, std::string text)
{
    HttpResponse response;
    response.failure = failure;
    response.transportError = std::move(text);
    return response;
}

std::string secondsText(std::chrono::milliseconds duration) { return formatDouble(duration.count() / 1000.0) + " s"; }

// Everything the exchange needs from curl except the method and body.
void configure(CURL* handle, const HttpRequest& request, const CurlHttpClientOptions& options, Transfer& transfer,
    const curl_slist* headers, char* errorText)
{
    curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    // Once secure, always secure: an HTTPS exchange follows redirects to HTTPS only.
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, schemeOf(request.url) == "https" ? "https" : "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, options.maxRedirects);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!options.caFile.empty())
        curl_easy_setopt(handle, CURLOPT_CAINFO, options.caFile.c_str());
    if (!options.userAgent.empty())
        curl_easy_setopt(handle, CURLOPT_USERAGENT, options.userAgent.c_str());
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, Transfer::onBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, Transfer::onHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, Transfer::onProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    if (request.maxBodyBytes) {
        transfer.maxBodyBytes = request.maxBodyBytes;
        // An announced length over the limit is refused before any of the body arrives.
        curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(*request.maxBodyBytes));
    }
    setMethodAndBody(handle, request);
}

// Time left of `limit` counted from `since`, or nothing when there is no limit.
std::optional<std::chrono::milliseconds> timeLeft(Clock::time_point since, std::chrono::milliseconds limit, Clock::time_point now)
{
    if (limit.count() <= 0)
        return std::nullopt;
    return std::chrono::duration_cast<std::chrono::milliseconds>(since + limit - now);
}

// Drives the transfer until curl is done with it, or until a time-out or a cancel stops it.
HttpFailure runTransfer(CURLM* multi, const HttpRequest& request, Transfer& transfer)
{
    const auto start = Clock::now();
    transfer.lastActivity = start;
    for (;;) {
        int running = 0;
        curl_multi_perform(multi, &running);
        if (!running)
            return HttpFailure::none;
        if (request.cancellation && request.cancellation->isCancelled())
            return HttpFailure::cancelled;
        const auto now = Clock::now();
        auto wait = kLongestWait;
        if (const auto left = timeLeft(start, request.timeout, now)) {
            if (left->count() <= 0)
                return HttpFailure::timedOut;
            wait = std::min(wait, *left);
        }
        if (const auto left = timeLeft(transfer.lastActivity, request.idleTimeout, now)) {
            if (left->count() <= 0)
                return HttpFailure::idleTimedOut;
            wait = std::min(wait, *left);
        }
        curl_multi_poll(multi, nullptr, 0, static_cast<int>(std::max<long>(wait.count(), 1)), nullptr);
    }
}

CURLcode resultOf(CURLM* multi)
{
    CURLcode result = CURLE_OK;
    int messagesLeft = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &messagesLeft)) {
        if (message->msg == CURLMSG_DONE)
            result = message->data.result;
    }
    return result;
}

}

CurlHttpClient::CurlHttpClient(CurlHttpClientOptions options)
    : m_options(std::move(options))
{
    initialiseCurlOnce();
}

HttpResponse CurlHttpClient::send(const HttpRequest& request)
{
    if (request.cancellation && request.cancellation->isCancelled())
        return failed(HttpFailure::cancelled, "cancelled");
    if (!headersAreSafe(request.headers))
        return failed(HttpFailure::transport, "invalid header name or value");
    const std::unique_ptr<CURL, EasyCleanup> easy(curl_easy_init());
    const std::unique_ptr<CURLM, MultiCleanup> multi(curl_multi_init());
    if (!easy || !multi)
        return failed(HttpFailure::transport, "the HTTP client cannot start");

    Transfer transfer;
    char errorText[CURL_ERROR_SIZE] = {};
    const auto headers = headerList(request);
    configure(easy.get(), request, m_options, transfer, headers.get(), errorText);
    curl_multi_add_handle(multi.get(), easy.get());
    if (request.cancellation)
        request.cancellation->setWake([&multi] { curl_multi_wakeup(multi.get()); });
    const HttpFailure stoppedBy = runTransfer(multi.get(), request, transfer);
    if (request.cancellation)
        request.cancellation->setWake({});
    const CURLcode result = resultOf(multi.get());
    curl_multi_remove_handle(multi.get(), easy.get());

    switch (stoppedBy) {
    case HttpFailure::cancelled:
        return failed(stoppedBy, "cancelled");
    case HttpFailure::timedOut:
        return failed(stoppedBy, "timed out after " + secondsText(request.timeout));
    case HttpFailure::idleTimedOut:
        return failed(stoppedBy, "no data for " + secondsText(request.idleTimeout));
    default:
        break;
    }
    if (transfer.bodyTooLarge || result == CURLE_FILESIZE_EXCEEDED)
        return failed(HttpFailure::tooLarge, "the answer is larger than " + std::to_string(*request.maxBodyBytes) + " bytes");
    // Only a redirect can lead an HTTPS exchange to a protocol it does not allow.
    if (result == CURLE_UNSUPPORTED_PROTOCOL && schemeOf(request.url) == "https")
        return failed(HttpFailure::insecureRedirect, "refused a redirect from HTTPS to plain HTTP");
    if (result != CURLE_OK)
        return failed(HttpFailure::transport, errorText[0] ? errorText : curl_easy_strerror(result));
    long status = 0;
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
    transfer.response.status = static_cast<int>(status);
    return std::move(transfer.response);
}

}
