#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace ikw::review {

// One load of a resource-scheme URL by a page. Each request carries its own cancelled flag: the
// web view stops a request by setting it, and a handler that finishes later sees it and stays
// silent. (A flag on the request itself, never a record of stopped addresses, so a new request can
// never be taken for an old, stopped one.)
class SchemeRequest {
public:
    explicit SchemeRequest(std::string url) : m_url(std::move(url)) { }
    // A request whose web view also tells when it is stopped; `stopped` may be asked from any thread.
    SchemeRequest(std::string url, std::function<bool()> stopped) : m_url(std::move(url)), m_stopped(std::move(stopped)) { }

    const std::string& url() const { return m_url; }
    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load() || (m_stopped && m_stopped()); }

private:
    std::string m_url;
    std::atomic<bool> m_cancelled { false };
    std::function<bool()> m_stopped;
};

// A successful answer, as a small HTTP server would give it.
struct SchemeResponse {
    int status = 200;
    std::string mimeType;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // Status 200 with the headers every answer of these schemes carries.
    static SchemeResponse ok(std::string mimeType, std::string body);
};

// A failed load: the domain is the scheme's name.
struct SchemeError {
    std::string domain;
    int code = 0;
    bool operator==(const SchemeError&) const = default;
};

using SchemeAnswer = std::variant<SchemeResponse, SchemeError>;

// Receives the one answer of a request. Handlers may call it on a worker thread; the web-view
// port moves it to the main thread. A cancelled request is never answered.
using SchemeReply = std::function<void(SchemeAnswer)>;

}
