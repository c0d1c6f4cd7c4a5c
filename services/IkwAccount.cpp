#include "services/IkwAccount.h"

#include "platform/core/Base64.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Json.h"
#include "platform/core/Log.h"
#include "platform/core/UriEscape.h"
#include "review/UrlQuery.h"

#include <glib.h>

#include <chrono>
#include <cstdlib>

namespace ikw::services {

namespace {

constexpr std::chrono::milliseconds kExchangeTimeout { 30000 };
constexpr std::size_t kMaxReplyBytes = 64 * 1024;
constexpr double kExpiryMargin = 60;

constexpr const char* kNoUrl = "Could not build the sign-in URL";
constexpr const char* kNoWindow = "Could not open the sign-in window";
constexpr const char* kIncomplete = "Sign-in did not complete";
constexpr const char* kUnverified = "Sign-in could not be verified";
constexpr const char* kUnreadable = "The account service returned an unreadable response";
constexpr const char* kRefused = "The account service refused the sign-in";
constexpr const char* kNotStored = "Could not store the sign-in";
constexpr const char* kUnreachable = "Could not reach the account service";

using Outcome = std::pair<std::optional<std::string>, std::optional<std::string>>;

std::mutex g_installedMutex;
std::shared_ptr<IkwAccount> g_installed;

secrets::SecretKey keyOf(std::string_view account)
{
    return { std::string(IkwAccount::service), std::string(account) };
}

// The value of the first query item named `name`; nothing when that item is missing or has no
// value.
std::optional<std::string> firstValue(const std::vector<QueryItem>& items, std::string_view name)
{
    for (const QueryItem& item : items) {
        if (item.name == name)
            return item.value;
    }
    return std::nullopt;
}

void logWriteFailure(const secrets::ChainWrite& written)
{
    logLine("Inkwarden account keychain write failed: " + (written.store.empty() ? std::string("no store") : written.store)
        + ": " + written.result.message);
}

Outcome failed(std::string message)
{
    return { std::nullopt, std::move(message) };
}

void deliver(SignInCompletion completion, Outcome outcome)
{
    mainQueue().post([completion = std::move(completion), outcome = std::move(outcome)]() mutable {
        if (completion)
            completion(std::move(outcome.first), std::move(outcome.second));
    });
}

}

std::string IkwAccount::hubFromEnvironment()
{
    // A stand-in of the service for tests; only a loopback one is taken.
    if (const char* seam = std::getenv("IKW_ACCOUNT_HUB")) {
        const std::string hub = seam;
        if (hub.starts_with("http://127.0.0.1:") && isAllowedHub(hub))
            return hub;
    }
    return std::string(productHub);
}

bool IkwAccount::isAllowedHub(std::string_view hub)
{
    if (hub.starts_with("https://"))
        return hub.size() > 8;
    constexpr std::string_view loopback = "http://127.0.0.1:";
    if (!hub.starts_with(loopback))
        return false;
    const std::string_view port = hub.substr(loopback.size());
    return !port.empty() && port.size() <= 5 && port.find_first_not_of("0123456789") == std::string_view::npos;
}

std::optional<double> IkwAccount::expiry(std::string_view token)
{
    const auto dot = token.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::nullopt;
    std::string payload(token.substr(0, dot));
    for (char& c : payload) {
        if (c == '-')
            c = '+';
        else if (c == '_')
            c = '/';
    }
    while (payload.size() % 4 != 0)
        payload += '=';
    const auto bytes = decodeBase64(payload);
    if (!bytes)
        return std::nullopt;
    const auto claims = parseJson(*bytes);
    if (!claims || !claims->is_object())
        return std::nullopt;
    const auto exp = claims->find("exp");
    if (exp == claims->end() || !exp->is_number())
        return std::nullopt;
    return exp->get<double>();
}

bool IkwAccount::isUsable(std::string_view token, double now)
{
    const auto expires = expiry(token);
    return !expires || *expires > now + kExpiryMargin;
}

std::shared_ptr<IkwAccount> IkwAccount::create(AccountParts parts)
{
    return std::shared_ptr<IkwAccount>(new IkwAccount(std::move(parts)));
}

IkwAccount::IkwAccount(AccountParts parts)
    : m_parts(std::move(parts))
{
}

double IkwAccount::now() const
{
    if (m_parts.now)
        return m_parts.now();
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void IkwAccount::loadStored()
{
    unsigned changesAtStart = 0;
    {
        const std::lock_guard guard(m_mutex);
        changesAtStart = m_changes;
    }
    m_parts.queue->post([self = shared_from_this(), changesAtStart] {
        auto token = self->m_parts.secrets->load(keyOf(tokenAccount));
        auto email = self->m_parts.secrets->load(keyOf(emailAccount));
        {
            const std::lock_guard guard(self->m_mutex);
            self->m_loaded = true;
            if (self->m_changes != changesAtStart)
                return;
            self->m_items = { std::move(token), email.value_or("") };
        }
        self->announceChange();
    });
}

bool IkwAccount::hasLoaded() const
{
    const std::lock_guard guard(m_mutex);
    return m_loaded;
}

std::optional<std::string> IkwAccount::token() const
{
    std::optional<std::string> stored;
    {
        const std::lock_guard guard(m_mutex);
        stored = m_items.token;
    }
    if (!stored || !isUsable(*stored, now()))
        return std::nullopt;
    return stored;
}

std::string IkwAccount::email() const
{
    const std::lock_guard guard(m_mutex);
    return m_items.email;
}

void IkwAccount::remember(std::optional<std::string> token, std::optional<std::string> email)
{
    {
        const std::lock_guard guard(m_mutex);
        ++m_changes;
        if (token)
            m_items.token = token->empty() ? std::nullopt : std::move(token);
        if (email)
            m_items.email = std::move(*email);
    }
    announceChange();
}

void IkwAccount::announceChange()
{
    if (!m_parts.changed)
        return;
    mainQueue().post([changed = m_parts.changed] { changed(); });
}

void IkwAccount::signOut()
{
    remember(std::string(), std::string());
    m_parts.queue->post([secrets = m_parts.secrets] {
        for (const std::string_view account : { tokenAccount, emailAccount }) {
            if (const auto removed = secrets->save(keyOf(account), ""); !removed.ok())
                logWriteFailure(removed);
        }
    });
}

std::string IkwAccount::authorizeUrl(const std::string& state) const
{
    return m_parts.hub + "/native/authorize?app=" + uriEscaped(app) + "&callback=" + uriEscaped(callback) + "&state=" + uriEscaped(state);
}

void IkwAccount::signIn(std::weak_ptr<ui::Window> from, SignInCompletion completion)
{
    const std::string state = makeUuid();
    if (!isAllowedHub(m_parts.hub)) {
        completion(std::nullopt, std::string(kNoUrl));
        return;
    }
    // The completion is shared by the session and the early failure below; only one of them
    // ever calls it.
    auto shared = std::make_shared<SignInCompletion>(std::move(completion));
    const bool started = m_parts.sessions->start(authorizeUrl(state), std::string(callbackScheme),
        [weak = weak_from_this(), state, shared](std::optional<std::string> url, std::optional<ui::WebAuthError> error) {
            if (const auto self = weak.lock())
                self->finishSignIn(state, std::move(url), std::move(error), std::move(*shared));
        });
    if (!started) {
        m_anchor.reset();
        (*shared)(std::nullopt, std::string(kNoWindow));
        return;
    }
    m_anchor = std::move(from);
}

void IkwAccount::finishSignIn(const std::string& state, std::optional<std::string> callbackUrl,
    std::optional<ui::WebAuthError> error, SignInCompletion completion)
{
    m_anchor.reset();
    if (error) {
        if (error->cancelledLogin)
            deliver(std::move(completion), { std::nullopt, std::nullopt });
        else
            deliver(std::move(completion), failed(error->description));
        return;
    }
    if (!callbackUrl || !g_uri_is_valid(callbackUrl->c_str(), G_URI_FLAGS_NONE, nullptr)) {
        deliver(std::move(completion), failed(kIncomplete));
        return;
    }
    const auto items = queryItems(*callbackUrl);
    const auto returnedState = firstValue(items, "state");
    const auto code = firstValue(items, "code");
    if (!returnedState || *returnedState != state || !code || code->empty()) {
        deliver(std::move(completion), failed(kUnverified));
        return;
    }
    exchange(*code, std::move(completion));
}

void IkwAccount::exchange(std::string code, SignInCompletion completion)
{
    m_parts.queue->post([self = shared_from_this(), code = std::move(code), completion = std::move(completion)]() mutable {
        deliver(std::move(completion), self->runExchange(code));
    });
}

IkwAccount::Outcome IkwAccount::runExchange(const std::string& code)
{
    if (!isAllowedHub(m_parts.hub))
        return failed(kNoUrl);
    http::HttpRequest request;
    request.method = "POST";
    request.url = m_parts.hub + "/native/token";
    request.headers = { { "Content-Type", "application/json" } };
    request.body = toPlainJson(Json { { "code", code }, { "app", std::string(app) } });
    request.timeout = kExchangeTimeout;
    request.idleTimeout = kExchangeTimeout;
    request.maxBodyBytes = kMaxReplyBytes;
    const http::HttpResponse response = m_parts.http->send(request);
    if (response.failure == http::HttpFailure::tooLarge)
        return failed(kUnreadable);
    if (!response.answered())
        return failed(response.transportError.empty() ? std::string(kUnreachable) : response.transportError);
    // The status is not consulted: the reply's members decide.
    const auto reply = parseJson(response.body);
    if (!reply || !reply->is_object())
        return failed(kUnreadable);
    const auto token = reply->find("account_token");
    if (token != reply->end() && token->is_string() && !token->get<std::string>().empty()) {
        const auto email = reply->find("email");
        const std::string address = email != reply->end() && email->is_string() ? email->get<std::string>() : std::string();
        if (auto stored = storeSignIn(token->get<std::string>(), address))
            return failed(std::move(*stored));
        return { token->get<std::string>(), std::nullopt };
    }
    const auto error = reply->find("error");
    if (error != reply->end() && error->is_string())
        return failed(error->get<std::string>());
    return failed(kRefused);
}

std::optional<std::string> IkwAccount::storeSignIn(const std::string& token, const std::string& email)
{
    remember(token, email);
    const auto tokenWritten = m_parts.secrets->save(keyOf(tokenAccount), token);
    if (!tokenWritten.ok()) {
        logWriteFailure(tokenWritten);
        // What the stores hold no longer matches; the memory does not claim a sign-in either.
        remember(std::string(), std::nullopt);
        return std::string(kNotStored);
    }
    if (const auto emailWritten = m_parts.secrets->save(keyOf(emailAccount), email); !emailWritten.ok())
        logWriteFailure(emailWritten);
    return std::nullopt;
}

std::shared_ptr<IkwAccount> installAccount(std::shared_ptr<IkwAccount> account)
{
    const std::lock_guard guard(g_installedMutex);
    std::swap(g_installed, account);
    return account;
}

std::shared_ptr<IkwAccount> account()
{
    const std::lock_guard guard(g_installedMutex);
    return g_installed;
}

}
