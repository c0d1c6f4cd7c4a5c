#include "services/IkwOnline.h"

#include "platform/core/Json.h"
#include "review/ReviewWC.h"

namespace ikw::services::IkwOnline {

namespace {

std::string tokenOf(const IkwAccount* account)
{
    return account ? account->token().value_or("") : std::string();
}

std::string emailOf(const IkwAccount* account)
{
    return account ? account->email() : std::string();
}

}

std::string bootJS(const IkwAccount* account)
{
    return "window.InkwardenNative = Object.assign(window.InkwardenNative || {}, { platform: 'mac', oauth: true });\n"
           "window.INKWARDEN = window.INKWARDEN || {};\n"
           "window.INKWARDEN.online = { enabled: true, endpoint: '"
        + std::string(endpoint) + "', shareHost: '" + std::string(shareHost) + "', maxBytes: " + std::to_string(maxBytes) + " };\n"
        + "window.__IKW_ACCT_BOOT = { token: " + jsQuote(tokenOf(account)) + ", email: " + jsQuote(emailOf(account)) + " };";
}

std::string pushTokenJS(const IkwAccount* account)
{
    return "if(window.InkwardenAccount&&InkwardenAccount._set)InkwardenAccount._set(" + jsQuote(tokenOf(account)) + ","
        + jsQuote(emailOf(account)) + ");";
}

void broadcastToken(const IkwAccount* account, const std::vector<std::shared_ptr<ReviewWC>>& windows)
{
    const std::string statement = pushTokenJS(account);
    for (const auto& window : windows) {
        if (window)
            window->evaluate(statement);
    }
}

}
