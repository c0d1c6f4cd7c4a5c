#pragma once

#include "platform/http/HttpClient.h"

#include <string>

namespace ikw::http {

struct CurlHttpClientOptions {
    std::string userAgent; // no User-Agent header when empty
    // A CA bundle trusted instead of the system's store (tests with a certificate of their own).
    std::string caFile;
    long maxRedirects = 10;
};

// HTTP and HTTPS on libcurl. HTTPS peers are verified against the system's CA store; redirects are
// followed, except from HTTPS to plain HTTP. Callers that must use HTTPS check the scheme first:
// plain HTTP stays open for loopback servers.
class CurlHttpClient final : public HttpClient {
public:
    explicit CurlHttpClient(CurlHttpClientOptions options = {});

    HttpResponse send(const HttpRequest& request) override;

private:
    CurlHttpClientOptions m_options;
};

}
