#include "platform/http/HttpClient.h"

#include <strings.h>

namespace ikw::http {

void HttpCancellation::cancel()
{
    const std::lock_guard guard(m_mutex);
    m_cancelled = true;
    if (m_wake)
        m_wake();
}

bool HttpCancellation::isCancelled() const
{
    const std::lock_guard guard(m_mutex);
    return m_cancelled;
}

void HttpCancellation::setWake(std::function<void()> wake)
{
    const std::lock_guard guard(m_mutex);
    m_wake = std::move(wake);
}

std::optional<std::string> HttpResponse::header(std::string_view name) const
{
    for (const HttpHeader& header : headers) {
        if (header.name.size() == name.size() && ::strncasecmp(header.name.data(), name.data(), name.size()) == 0)
            return header.value;
    }
    return std::nullopt;
}

}
