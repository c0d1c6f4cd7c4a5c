#include "platform/ui/WebAuthSessions.h"

#include "platform/core/Log.h"
#include "platform/ui/Desktop.h"

#include <algorithm>
#include <cctype>

namespace ikw::ui {

std::string urlScheme(std::string_view url)
{
    const auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return {};
    std::string scheme(url.substr(0, colon));
    const bool valid = std::isalpha(static_cast<unsigned char>(scheme.front()))
        && std::all_of(scheme.begin(), scheme.end(), [](unsigned char c) { return std::isalnum(c) || c == '+' || c == '-' || c == '.'; });
    if (!valid)
        return {};
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return scheme;
}

bool WebAuthSessions::start(const std::string& url, const std::string& callbackScheme, WebAuthCompletion completion)
{
    const std::string scheme = urlScheme(callbackScheme + ":");
    if (const auto earlier = m_live.find(scheme); earlier != m_live.end()) {
        auto replaced = std::move(earlier->second);
        m_live.erase(earlier);
        if (replaced)
            replaced(std::nullopt, WebAuthError { true, "A newer sign-in replaced this one" });
    }
    if (scheme.empty() || !m_workspace.openUrl(url))
        return false;
    m_live[scheme] = std::move(completion);
    return true;
}

bool WebAuthSessions::deliver(const std::string& callbackUrl)
{
    const auto waiting = m_live.find(urlScheme(callbackUrl));
    if (waiting == m_live.end()) {
        logLine("web sign-in: a callback arrived with no sign-in waiting; ignored");
        return false;
    }
    auto completion = std::move(waiting->second);
    m_live.erase(waiting);
    if (completion)
        completion(callbackUrl, std::nullopt);
    return true;
}

bool WebAuthSessions::isWaiting(std::string_view callbackScheme) const
{
    return m_live.find(callbackScheme) != m_live.end();
}

}
